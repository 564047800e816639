#include "record_options.h"

namespace velkor_sim::record {

namespace {

void takeOutput(RecordOptions &options, int argc, char **argv, int &index)
{
    if (!options.output.empty())
        throw UsageError("-o is given twice");
    if (index + 1 >= argc || !*argv[index + 1])
        throw UsageError("-o needs the name of the recording's file");
    options.output = argv[++index];
}

} // namespace

RecordOptions parseRecordOptions(int argc, char **argv)
{
    RecordOptions options;
    int index = 1;
    for (; index < argc && argv[index][0] == '-'; ++index) {
        const std::string argument = argv[index];
        if (argument == "--help") {
            options.help = true;
            return options;
        }
        if (argument == "--") {
            ++index;
            break;
        }
        if (argument != "-o")
            throw UsageError("unknown option " + argument);
        takeOutput(options, argc, argv, index);
    }
    if (options.output.empty())
        throw UsageError("no recording named: -o FILE is needed");
    if (index >= argc)
        throw UsageError("no program to record");
    options.program = index;
    return options;
}

const char *recordUsage()
{
    return "Usage: velkor-record -o FILE [--] PROGRAM [ARG]...\n"
           "Runs PROGRAM and records into FILE every open, ioctl and close that it and its\n"
           "children make on the channel nodes /dev/mil1553dev-B-ch-C, with the bytes of\n"
           "each record and buffer; FILE is gzip when its name ends in .gz. Under the\n"
           "simulated board: velkor-sim -- velkor-record -o FILE -- PROGRAM.\n"
           "\n"
           "  -o FILE   the recording, created or emptied first\n"
           "  --help    print this and exit\n"
           "\n"
           "Exit status: PROGRAM's; 2 for a usage error; 125 when FILE cannot be written or\n"
           "the recorder's library is missing; 127 when PROGRAM cannot be run.\n";
}

} // namespace velkor_sim::record
