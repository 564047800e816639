// The launcher's command line: velkor-sim [OPTION]... [--] PROGRAM [ARG]...,
// or velkor-sim --cuse [OPTION]..., or velkor-sim --replay FILE [OPTION]...
// [--] PROGRAM [ARG]..., or velkor-sim --check FILE [OPTION]...
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
    // The recording whose nodes are served in place of boards; empty for none.
    std::string replay;
    // The program stops at the first call that departs from the recording.
    bool replayStrict = false;
    // Each call is answered after its recorded duration, not at once.
    bool replayRecordedTiming = false;
    // The recording held against the boards, with no program; empty for none.
    std::string check;
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
