// velkor-record's command line: -o FILE [--] PROGRAM [ARG]...
#ifndef VELKOR_RECORD_OPTIONS_H
#define VELKOR_RECORD_OPTIONS_H

#include <stdexcept>
#include <string>

namespace velkor_sim::record {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct RecordOptions {
    bool help = false;
    std::string output;
    // Where the program's own arguments begin in argv: the program's name first.
    int program = 0;
};

// Throws UsageError saying in one line what is wrong.
RecordOptions parseRecordOptions(int argc, char **argv);

const char *recordUsage();

} // namespace velkor_sim::record

#endif
