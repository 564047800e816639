#include "replay.h"

#include "recorded_call.h"
#include "replay_text.h"
#include "requests.h"

#include <algorithm>
#include <cerrno>

namespace velkor_sim::replay {

using recording::Event;

namespace {

constexpr std::size_t kMatchedShown = 3;

void checkNodeName(const std::string &name)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        throw recording::FormatError(0, "node '" + name + "' cannot be an entry of /dev");
}

} // namespace

Replay::Replay(std::vector<Event> events) : events_(std::move(events))
{
    for (std::size_t index = 0; index < events_.size(); ++index) {
        const Event &event = events_[index];
        checkNodeName(event.node);
        auto [entry, added] = nodes_.try_emplace(event.node);
        if (added)
            order_.push_back(event.node);
        if (event.kind == Event::Kind::Ioctl)
            entry->second.ioctls.push_back(index);
    }
}

bool Replay::opensFail(const std::string &node) const
{
    bool opened = false;
    for (const Event &event : events_) {
        if (event.kind != Event::Kind::Open || event.node != node)
            continue;
        if (event.result >= 0)
            return false;
        opened = true;
    }
    return opened;
}

Replay::Answer Replay::command(const std::string &node, unsigned long request,
                               CallerMemory &memory)
{
    std::lock_guard<std::mutex> lock(mutex_);
    NodeEvents &events = nodes_.at(node);
    if (events.next == events.ioctls.size()) {
        departed_ = true;
        return {{-1, ENOENT}, 0, pastTheEnd(node, events, request)};
    }
    const Event &expected = events_[events.ioctls[events.next]];
    const std::optional<std::string> difference =
        request::canonical(request) == request::canonical(expected.request)
            ? answerAsRecorded(expected, request, memory)
            : std::optional<std::string>("");
    if (difference) {
        departed_ = true;
        return {{-1, ENOMSG}, 0, departureAt(node, events, request, *difference)};
    }
    ++events.next;
    return {{expected.result, expected.error}, expected.durationMicros, {}};
}

bool Replay::departed() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return departed_;
}

std::string Replay::leftovers() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t count = 0;
    std::size_t first = events_.size();
    for (const auto &[node, events] : nodes_) {
        count += events.ioctls.size() - events.next;
        if (events.next < events.ioctls.size())
            first = std::min(first, events.ioctls[events.next]);
    }
    if (count == 0)
        return {};
    const Event &event = events_[first];
    return std::to_string(count) + " recorded ioctl" + (count == 1 ? "" : "s") +
           " left unanswered, the first " + eventNumber(first) + " on " + event.node + ": " +
           commandText(event.request) + "\n  " + shownLine(event);
}

std::string Replay::departureAt(const std::string &node, const NodeEvents &events,
                                unsigned long request, const std::string &difference) const
{
    const std::size_t index = events.ioctls[events.next];
    const Event &expected = events_[index];
    const std::string firstDifference =
        difference.empty() ? "" : "\n  first difference: " + difference;
    return node + ": " + eventNumber(index) + " expects " + commandText(expected.request) +
           ", came " + commandText(request) + firstDifference + "\n  " + eventNumber(index) +
           ": " + shownLine(expected) + "\n  last matched: " + lastMatched(events);
}

std::string Replay::pastTheEnd(const std::string &node, const NodeEvents &events,
                               unsigned long request) const
{
    return node + ": " + commandText(request) + " came after the node's last recorded ioctl" +
           "\n  last matched: " + lastMatched(events);
}

// The node's events before the one it waits for are the ones it answered.
std::string Replay::lastMatched(const NodeEvents &events) const
{
    const std::size_t from = events.next > kMatchedShown ? events.next - kMatchedShown : 0;
    std::string text;
    for (std::size_t position = from; position < events.next; ++position) {
        const std::size_t index = events.ioctls[position];
        text += (text.empty() ? "" : ", ") + eventNumber(index) + " " +
                commandText(events_[index].request);
    }
    return text.empty() ? "none" : text;
}

} // namespace velkor_sim::replay
