#include "options.h"

#include "bus_load.h"

#include <cerrno>
#include <cstdlib>
#include <getopt.h>

namespace velkor_sim {

namespace {

enum Option { kBoards = 1, kTrace, kLoad, kFault, kCuse, kHelp };

const option kLongOptions[] = {
    {"boards", required_argument, nullptr, kBoards},
    {"trace", required_argument, nullptr, kTrace},
    {"load", required_argument, nullptr, kLoad},
    {"fault", required_argument, nullptr, kFault},
    {"cuse", no_argument, nullptr, kCuse},
    {"help", no_argument, nullptr, kHelp},
    {nullptr, 0, nullptr, 0},
};

uint32_t parseLoad(const std::string &value)
{
    return value == "max" ? 0 : parseNumber("--load", value, 1, BusLoad::kMaxRate);
}

void take(Options &options, int option, const std::string &value)
{
    switch (option) {
    case kBoards:
        options.boards = parseNumber("--boards", value, 1, kMaxBoards);
        break;
    case kTrace:
        if (value.empty())
            throw UsageError("--trace: empty file name");
        options.trace = value;
        break;
    case kLoad:
        options.load = parseLoad(value);
        break;
    case kFault:
        options.faults.push_back(parseFault(value));
        break;
    case kCuse:
        options.cuse = true;
        break;
    case kHelp:
        options.help = true;
        break;
    }
}

} // namespace

uint32_t parseNumber(const std::string &option, const std::string &text, uint32_t min,
                     uint32_t max)
{
    const std::string range = " (" + std::to_string(min) + " to " + std::to_string(max) + ")";
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError(option + " '" + text + "': not a number" + range);
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < min || value > max)
        throw UsageError(option + " " + text + ": out of range" + range);
    return static_cast<uint32_t>(value);
}

// '+' stops at the program's name, so its own options stay its own; ':'
// tells a missing value from an unknown option.
Options parseOptions(int argc, char **argv)
{
    Options options;
    opterr = 0;
    optind = 1;
    int option;
    while ((option = getopt_long(argc, argv, "+:", kLongOptions, nullptr)) != -1) {
        const std::string given = argv[optind - 1];
        if (option == '?')
            throw UsageError("unknown option '" + given + "'");
        if (option == ':')
            throw UsageError("option '" + given + "' needs a value");
        take(options, option, optarg ? optarg : "");
    }
    if (!options.help && options.cuse && optind < argc)
        throw UsageError(std::string("--cuse takes no program, yet '") + argv[optind] + "' follows");
    if (!options.help && !options.cuse && optind >= argc)
        throw UsageError("no program to run");
    options.program = argv + optind;
    return options;
}

std::string usage()
{
    return "Usage: velkor-sim [OPTION]... [--] PROGRAM [ARG]...\n"
           "  or:  velkor-sim --cuse [OPTION]...\n"
           "Runs PROGRAM on simulated MIL-STD-1553 boards of four channels each, served\n"
           "as /dev/mil1553dev-B-ch-C through umockdev, and exits with its status.\n"
           "With --cuse, serves the boards' nodes as real character devices instead,\n"
           "to every program, until SIGTERM, SIGINT or SIGHUP.\n"
           "\n"
           "  --boards N     N boards, 1 to " + std::to_string(kMaxBoards) + " (default 1)\n"
           "  --trace FILE   write every open of a node and every command as it arrives\n"
           "                 to FILE, one line each ('-' for standard error)\n"
           "  --load RATE    bus traffic in real time: RATE messages a second on each\n"
           "                 board's bus, 1 to " + std::to_string(BusLoad::kMaxRate) +
           " (what the bus carries with its\n"
           "                 shortest message), or 'max' for as many as it carries\n"
           "  --fault NAME   inject a fault on every board; repeatable. NAME is one of\n" +
           faultHelp() +
           "  --cuse         serve /dev/mil1553dev-B-ch-C through the kernel's CUSE, with\n"
           "                 no program (needs root and /dev/cuse: sudo modprobe cuse)\n"
           "  --help         print this help and exit\n";
}

} // namespace velkor_sim
