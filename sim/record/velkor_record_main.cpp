// velkor-record -o FILE [--] PROGRAM [ARG]...
// Becomes PROGRAM with the recorder preloaded, so it ends as PROGRAM ends.
#include "record_options.h"
#include "recording_start.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <unistd.h>

namespace {

// Like env(1): 125 when the launcher itself fails, 127 when the program cannot be run.
constexpr int kUsageError = 2;
constexpr int kCannotStart = 125;
constexpr int kCannotRun = 127;

} // namespace

int main(int argc, char **argv)
{
    using namespace velkor_sim::record;
    RecordOptions options;
    try {
        options = parseRecordOptions(argc, argv);
    } catch (const UsageError &error) {
        std::cerr << "velkor-record: " << error.what() << " (velkor-record --help tells more)\n";
        return kUsageError;
    }
    if (options.help) {
        std::cout << recordUsage();
        return 0;
    }
    const std::string library = findPreloadLibrary();
    if (library.empty()) {
        std::cerr << "velkor-record: libvelkor-record.so is neither beside velkor-record nor at "
                  << VELKOR_RECORD_LIBRARY << "\n";
        return kCannotStart;
    }
    if (!startRecording(options.output)) {
        std::cerr << "velkor-record: cannot write " << options.output << ": " << std::strerror(errno) << "\n";
        return kCannotStart;
    }
    exportToProgram(absolutePath(options.output), library);
    execvp(argv[options.program], argv + options.program);
    std::cerr << "velkor-record: cannot run " << argv[options.program] << ": " << std::strerror(errno) << "\n";
    return kCannotRun;
}
