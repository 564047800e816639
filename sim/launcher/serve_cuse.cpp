#include "serve_cuse.h"

#include "board_options.h"
#include "cuse_boards.h"
#include "stop_signals.h"

#include <iostream>

namespace velkor_sim {

namespace {

void serveUntilStopped(CuseBoards &served)
{
    served.serve();
    const std::vector<std::string> paths = served.nodePaths();
    std::cerr << "velkor-sim: serving " << paths.front() << " ... " << paths.back()
              << "; stop with SIGTERM\n";
    waitForStopSignal();
}

} // namespace

int serveCuse(const Options &options)
{
    holdStopSignals();
    std::FILE *trace = options.trace.empty() ? nullptr : openTrace(options.trace);
    {
        // The nodes go with this frame, before the trace closes.
        CuseBoards served(options.boards);
        if (trace)
            served.traceTo(trace);
        for (unsigned number = 0; number < served.boardCount(); ++number)
            applyOptions(served.board(number), options);
        serveUntilStopped(served);
    }
    if (trace && trace != stderr)
        std::fclose(trace);
    return 0;
}

} // namespace velkor_sim
