#include "board.h"

#include "board_data.h"
#include "bus.h"
#include "bus_load.h"
#include "bus_schedule.h"
#include "commands.h"
#include "describe.h"
#include "queues.h"
#include "requests.h"

#include <cerrno>
#include <mutex>
#include <optional>
#include <utility>

namespace velkor_sim {

struct Board::State {
    State(unsigned boardNumber, Clock boardClock)
        : number(boardNumber), clock(std::move(boardClock)), data(boardNumber), schedule(clock())
    {
    }

    mutable std::mutex mutex;
    const unsigned number;
    const Clock clock;
    std::vector<std::string> log;
    BoardData data;
    BusSchedule schedule;
    std::optional<uint32_t> loadRate;
    std::optional<BusLoad> load;
    BusSchedule::Steady::time_point loadStart;
    BoardTrace *trace = nullptr;
    bool keepLog = true;

    void runPasses(uint64_t count)
    {
        for (uint64_t i = 0; i < count; ++i)
            runBusPass(data, schedule.nextPass());
    }

    void runBus(BusSchedule::Steady::time_point now)
    {
        if (load) {
            const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(now - loadStart);
            const uint32_t reached = load->runUntil(data, static_cast<uint64_t>(nanos.count()));
            if (reached && trace)
                trace->busAtLimit(reached);
        } else if (schedule.autoRun()) {
            runPasses(schedule.catchUp(now));
        }
    }

    Reply answer(unsigned channel, unsigned long request, CallerMemory &memory, std::string &text);
};

namespace {

std::string withDetails(const std::string &name, const std::string &details)
{
    return details.empty() ? name : name + " " + details;
}

} // namespace

Board::Board(unsigned number, Clock clock) : state_(new State(number, std::move(clock))) {}

Board::~Board()
{
    delete state_;
}

// The record is read before anything else, as the driver's copy from user
// space comes first: an unreachable argument is EFAULT even for a command
// that would also fail.
Reply Board::State::answer(unsigned channel, unsigned long request, CallerMemory &memory,
                           std::string &text)
{
    const unsigned long code = request::canonical(request);
    const char *name = request::name(code);
    const std::string logPrefix = "ch" + std::to_string(channel) + " ";
    if (!name) {
        text = "unknown " + hex(code);
        if (keepLog)
            log.push_back(logPrefix + text);
        return failure(ENOTTY);
    }
    const std::size_t size = request::argumentSize(code);
    uint8_t *record = size ? memory.record(size) : nullptr;
    const auto details = (size && !record) ? std::nullopt : describe(code, record, memory);
    text = withDetails(name, details.value_or("<unreadable>"));
    if (keepLog)
        log.push_back(logPrefix + text);
    if (!details)
        return failure(EFAULT);
    if (data.commandFaults.takeFailure(code))
        return failure(EIO);
    return execute(Call{data, channel, record, memory}, code);
}

Reply Board::command(unsigned channel, unsigned long request, CallerMemory &memory)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->runBus(state_->clock());
    if (channel >= kChannels)
        return failure(ENXIO);
    std::string text;
    const Reply reply = state_->answer(channel, request, memory, text);
    if (state_->trace)
        state_->trace->command(channel, text, reply);
    return reply;
}

void Board::reset()
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->data = BoardData(state_->number);
    state_->log.clear();
    state_->schedule = BusSchedule(state_->clock());
    if (state_->loadRate)
        state_->load.emplace(*state_->loadRate);
    state_->loadStart = state_->clock();
}

void Board::setBusAutoRun(bool on)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->schedule.setAutoRun(on, state_->clock());
}

void Board::setBusLoad(uint32_t messagesPerSecond)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->loadRate = messagesPerSecond;
    state_->load.emplace(messagesPerSecond);
    state_->loadStart = state_->clock();
}

void Board::setTrace(BoardTrace *trace)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->trace = trace;
}

void Board::runBusPasses(unsigned count)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->runPasses(count);
}

std::vector<std::string> Board::log() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->log;
}

void Board::setLogKept(bool on)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->keepLog = on;
}

void Board::clearLog()
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->log.clear();
}

void Board::setDriverVersion(uint32_t word)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->data.identity.driverVersion = word;
}

void Board::setIdentity(uint32_t deviceId, uint32_t vendorId, uint32_t type, uint8_t revision)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    Identity &id = state_->data.identity;
    id.deviceId = deviceId;
    id.vendorId = vendorId;
    id.type = type;
    id.revision = revision;
}

uint32_t Board::reg(uint64_t address) const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto &registers = state_->data.registers;
    auto it = registers.find(address);
    return it == registers.end() ? 0 : it->second;
}

void Board::setReg(uint64_t address, uint32_t value)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->data.registers[address] = value;
}

void Board::queueDmaBlock(unsigned channel, const DmaBlock &block)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    offer(state_->data.channels.at(channel).dmaBlocks, block);
}

void Board::queueInterruptBlock(unsigned channel, const InterruptBlock &block)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    offer(state_->data.channels.at(channel).interruptBlocks, block);
}

std::size_t Board::pendingDmaBlocks(unsigned channel) const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->data.channels.at(channel).dmaBlocks.size();
}

std::size_t Board::pendingInterruptBlocks(unsigned channel) const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->data.channels.at(channel).interruptBlocks.size();
}

void Board::failNext(unsigned long request, unsigned times)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->data.commandFaults.failNext(request::canonical(request), times);
}

void Board::failNumberQuery()
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->data.commandFaults.failAlways(request::kGetNumberChannel);
}

void Board::queueDmaBlocksBeforeNextRead(unsigned channel, const std::vector<DmaBlock> &blocks)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    auto &arriving = state_->data.queueFaults.at(channel).arriveBeforeRead;
    arriving.insert(arriving.end(), blocks.begin(), blocks.end());
}

void Board::dropDmaBlocksBeforeNextRead(unsigned channel)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->data.queueFaults.at(channel).dropBeforeRead = true;
}

void Board::overreportNextRead(unsigned channel, uint32_t extra)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->data.queueFaults.at(channel).overreport = extra;
}

void Board::overreportNextInterruptRead(unsigned channel, uint32_t extra)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->data.queueFaults.at(channel).interruptOverreport = extra;
}

void Board::reportDmaCount(unsigned channel, uint32_t value)
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->data.queueFaults.at(channel).dmaCount = value;
}

} // namespace velkor_sim
