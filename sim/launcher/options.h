// The launcher's command line: velkor-sim [OPTION]... [--] PROGRAM [ARG]...,
// or velkor-sim --cuse [OPTION]...
#ifndef VELKOR_SIM_OPTIONS_H
#define VELKOR_SIM_OPTIONS_H

#include "fault_names.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velkor_sim {

constexpr unsigned kMaxBoards = 8;

// What a usage error says: which option or value, and why.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    bool help = false;
    unsigned boards = 1;
    // Empty for no trace; "-" for standard error.
    std::string trace;
    // Messages per second; 0 for as many as the bus carries; none for passes.
    std::optional<uint32_t> load;
    std::vector<NamedFault> faults;
    // Real character devices through CUSE, and no program.
    bool cuse = false;
    // PROGRAM and its arguments, null-terminated as in argv.
    char **program = nullptr;
};

// Throws UsageError. `argv` must end with a null pointer, as main's does.
Options parseOptions(int argc, char **argv);

std::string usage();

// A decimal number from `min` to `max`, for the option `option`.
uint32_t parseNumber(const std::string &option, const std::string &text, uint32_t min,
                     uint32_t max);

} // namespace velkor_sim

#endif
