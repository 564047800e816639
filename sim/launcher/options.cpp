#include "options.h"

#include "bus_load.h"

#include <cerrno>
#include <cstdlib>
#include <getopt.h>

namespace velkor_sim {

namespace {

enum Option {
    kBoards = 1, kTrace, kLoad, kFault, kCuse, kReplay, kReplayStrict, kReplayTiming, kCheck, kHelp
};

const option kLongOptions[] = {
    {"boards", required_argument, nullptr, kBoards},
    {"trace", required_argument, nullptr, kTrace},
    {"load", required_argument, nullptr, kLoad},
    {"fault", required_argument, nullptr, kFault},
    {"cuse", no_argument, nullptr, kCuse},
    {"replay", required_argument, nullptr, kReplay},
    {"replay-strict", no_argument, nullptr, kReplayStrict},
    {"replay-timing", required_argument, nullptr, kReplayTiming},
    {"check", required_argument, nullptr, kCheck},
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
    case kReplay:
        if (value.empty())
            throw UsageError("--replay: empty file name");
        options.replay = value;
        break;
    case kReplayStrict:
        options.replayStrict = true;
        break;
    case kReplayTiming:
        if (value != "recorded")
            throw UsageError("--replay-timing '" + value + "': only 'recorded'");
        options.replayRecordedTiming = true;
        break;
    case kCheck:
        if (value.empty())
            throw UsageError("--check: empty file name");
        options.check = value;
        break;
    case kHelp:
        options.help = true;
        break;
    }
}

// A check runs the recording's commands itself: no program, no nodes served.
void checkCheck(const Options &options, const char *program)
{
    if (options.check.empty())
        return;
    if (program)
        throw UsageError(std::string("--check takes no program, yet '") + program + "' follows");
    for (const auto &[given, option] : {std::pair{options.cuse, "--cuse"},
                                        {!options.replay.empty(), "--replay"},
                                        {!options.trace.empty(), "--trace"}}) {
        if (given)
            throw UsageError(std::string(option) + " does not go with --check");
    }
}

// The options that shape the boards, which a replay does without.
const char *boardOptionName(int option)
{
    switch (option) {
    case kBoards:
        return "--boards";
    case kLoad:
        return "--load";
    case kFault:
        return "--fault";
    case kCuse:
        return "--cuse";
    default:
        return nullptr;
    }
}

void checkReplay(const Options &options, const char *boardOption)
{
    if (options.replay.empty() && (options.replayStrict || options.replayRecordedTiming))
        throw UsageError("--replay-strict and --replay-timing need --replay");
    if (!options.replay.empty() && boardOption)
        throw UsageError(std::string(boardOption) +
                         " does not go with --replay, which serves the recording's nodes");
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
    const char *boardOption = nullptr;
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
        if (!boardOption)
            boardOption = boardOptionName(option);
    }
    if (!options.help) {
        checkReplay(options, boardOption);
        checkCheck(options, optind < argc ? argv[optind] : nullptr);
    }
    if (!options.help && options.cuse && optind < argc)
        throw UsageError(std::string("--cuse takes no program, yet '") + argv[optind] + "' follows");
    if (!options.help && !options.cuse && options.check.empty() && optind >= argc)
        throw UsageError("no program to run");
    options.program = argv + optind;
    return options;
}

std::string usage()
{
    return "Usage: velkor-sim [OPTION]... [--] PROGRAM [ARG]...\n"
           "  or:  velkor-sim --cuse [OPTION]...\n"
           "  or:  velkor-sim --replay FILE [--replay-strict] [--replay-timing=recorded]\n"
           "                  [--trace FILE] [--] PROGRAM [ARG]...\n"
           "  or:  velkor-sim --check FILE [--boards N] [--load RATE] [--fault NAME]...\n"
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
           "  --replay FILE  serve the nodes of the recording FILE instead of boards, each\n"
           "                 answering its ioctls as recorded, in the recorded order; a\n"
           "                 call that departs fails with ENOMSG and velkor-sim exits 3\n"
           "  --replay-strict\n"
           "                 stop PROGRAM with SIGTERM at the first call that departs\n"
           "  --replay-timing=recorded\n"
           "                 answer each call after its recorded duration, not at once\n"
           "  --check FILE   send the ioctls of the recording FILE to the boards and\n"
           "                 compare each recorded answer with theirs; exits 0 when\n"
           "                 they agree, 1 with the differences listed\n"
           "  --help         print this help and exit\n";
}

} // namespace velkor_sim
