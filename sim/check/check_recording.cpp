#include "check_recording.h"

#include "delivery_contract.h"
#include "describe.h"
#include "field_compare.h"
#include "node_name.h"
#include "record_fields.h"
#include "replayed_memory.h"
#include "requests.h"

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <set>

namespace velkor_sim::check {

namespace {

using recording::Event;

constexpr unsigned long kDriverWrites = 0x80000000;
constexpr unsigned long kDriverReads = 0x40000000;

std::string outcome(long result, int error)
{
    if (result >= 0)
        return std::to_string(result);
    const char *name = strerrorname_np(error);
    return "result " + std::to_string(result) + " errno " + std::to_string(error) + " (" +
           (name ? name : "unknown") + ")";
}

bool sameOutcome(const Event &event, const Reply &reply)
{
    return event.result == reply.result && (event.result >= 0 || event.error == reply.error);
}

std::string commandName(unsigned long request)
{
    const char *name = request::name(request::canonical(request));
    return name ? name : hex(request::canonical(request));
}

bool inOnly(unsigned long request)
{
    return (request & (kDriverWrites | kDriverReads)) == kDriverReads;
}

class Check {
public:
    explicit Check(const CheckSettings &settings) : settings_(settings) {}

    void take(const Event &event, std::size_t number);
    CheckReport report;

private:
    void ioctl(const Event &event, const NodeAddress &node);
    void differ(const std::string &what) { report.differences.push_back(prefix_ + what); }
    Board &board(unsigned number);
    bool onTheModel(const std::optional<NodeAddress> &node) const;
    void noteUncompared(const std::string &owner, const std::vector<Field> &fields);

    const CheckSettings &settings_;
    std::map<unsigned, std::unique_ptr<Board>> boards_;
    std::map<std::string, DeliveryContract> contracts_;
    std::set<std::string> noted_;  // owners
    std::string prefix_;
    // The recorded start of the event at hand: the models' clock, so that
    // their bus runs as the recorded session's time went.
    uint64_t now_ = 0;
};

Board &Check::board(unsigned number)
{
    auto &board = boards_[number];
    if (!board) {
        board = std::make_unique<Board>(number, [this] {
            return std::chrono::steady_clock::time_point(std::chrono::microseconds(now_));
        });
        if (settings_.prepare)
            settings_.prepare(*board);
    }
    return *board;
}

bool Check::onTheModel(const std::optional<NodeAddress> &node) const
{
    return node && node->board < settings_.boards && node->channel < Board::kChannels;
}

void Check::noteUncompared(const std::string &owner, const std::vector<Field> &fields)
{
    if (!noted_.insert(owner).second)
        return;
    FieldGroup byKind{owner, {}};
    FieldGroup machines{owner, {}};
    for (const Field &field : fields) {
        if (field.compared == Field::Compared::ByValue || field.shown == Field::Shown::Pointer)
            continue;
        (field.compared == Field::Compared::ByKind ? byKind : machines).fields.push_back(field.name);
    }
    if (!byKind.fields.empty())
        report.comparedByKind.push_back(byKind);
    if (!machines.fields.empty())
        report.notCompared.push_back(machines);
}

void Check::take(const Event &event, std::size_t number)
{
    now_ = event.startMicros;
    const auto node = parseNodeName(event.node);
    const bool present = onTheModel(node);
    if (event.kind == Event::Kind::Ioctl) {
        prefix_ = "event " + std::to_string(number) + ", " + event.node + ", " +
                  commandName(event.request) + ": ";
        if (present)
            ioctl(event, *node);
        return;
    }
    if (event.kind == Event::Kind::Open && event.result >= 0 && !present) {
        prefix_ = "event " + std::to_string(number) + ", " + event.node + ", open: ";
        differ("opened recorded, no such node on the model (--boards " +
               std::to_string(settings_.boards) + ")");
    }
}

void Check::ioctl(const Event &event, const NodeAddress &node)
{
    ++report.commands;
    const std::vector<Field> &fields = recordFields(event.request);
    noteUncompared(commandName(event.request), fields);
    ReplayedMemory memory(event);
    const Reply reply = board(node.board).command(node.channel, event.request, memory);
    if (!sameOutcome(event, reply))
        differ(outcome(event.result, event.error) + " recorded, " +
               outcome(reply.result, reply.error) + " by the model");
    if (inOnly(event.request) && !event.recordOut.empty()) {
        for (const std::string &change :
             fieldDifferences(fields, event.recordIn, event.recordOut, {"sent", "back"}))
            differ("record changed by the driver: " + change);
    } else if ((event.request & kDriverWrites) && event.result == 0 && reply.result == 0) {
        for (const std::string &difference :
             fieldDifferences(fields, event.recordOut, memory.recordBytes(),
                              {"recorded", "by the model"}))
            differ(difference);
    }
    for (const std::string &breach : contracts_[event.node].breaches(event))
        differ(breach);
    const unsigned long code = request::canonical(event.request);
    if (code == request::kReadDmaBlocks)
        noteUncompared("DMA block", dmaBlockFields());
    if (code == request::kReadIntBlocks)
        noteUncompared("block_info", interruptBlockFields());
}

} // namespace

CheckReport checkRecording(const std::vector<Event> &events, const CheckSettings &settings)
{
    Check check(settings);
    for (std::size_t i = 0; i < events.size(); ++i)
        check.take(events[i], i + 1);
    return check.report;
}

} // namespace velkor_sim::check
