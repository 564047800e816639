#include "replayed_nodes.h"

#include <chrono>
#include <thread>

namespace velkor_sim {

namespace {

class ReplayedNode : public NodeCommands {
public:
    ReplayedNode(replay::Replay &replay, std::string name, const ReplaySettings &settings)
        : replay_(replay), name_(std::move(name)), settings_(settings) {}

    Reply command(unsigned long request, CallerMemory &memory) override
    {
        const replay::Replay::Answer answer = replay_.command(name_, request, memory);
        if (!answer.departure.empty() && settings_.onDeparture)
            settings_.onDeparture(answer.departure);
        if (settings_.recordedTiming)
            std::this_thread::sleep_for(std::chrono::microseconds(answer.durationMicros));
        return answer.reply;
    }

private:
    replay::Replay &replay_;
    std::string name_;
    ReplaySettings settings_;
};

} // namespace

void serveRecording(SimulatedBoard &testbed, replay::Replay &replay, const ReplaySettings &settings)
{
    for (const std::string &name : replay.nodes()) {
        testbed.addNode(name, std::make_unique<ReplayedNode>(replay, name, settings));
        if (replay.opensFail(name))
            testbed.makeOpenFail(name);
    }
}

} // namespace velkor_sim
