// A tool session run on the board model and kept as a recording keeps it:
// each call's record before and after with its pointer as zeros, what the
// driver wrote through the pointer (as many entries as the count after the
// call says), the result and errno, at the time of the session's clock.
#ifndef MODEL_SESSION_H
#define MODEL_SESSION_H

#include "board.h"
#include "recording.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace model_session {

using velkor_sim::recording::Buffer;
using velkor_sim::recording::Event;

constexpr unsigned long GET_DRIVER_VERSION = 0x80046228, GET_VERSION_INFO = 0x8058621f,
                        GET_PCI_LOCATION = 0x800d6229, GET_NUMBER_CHANNEL = 0xc0046237,
                        COUNT_DMA = 0xc0046207, READ_DMA = 0xc0106206, COUNT_INT = 0xc0046232,
                        READ_INT = 0xc0106233, SET_MODE = 0x40046204, SET_RT_ADDRESS = 0x40016213,
                        SET_INTERRUPTS = 0x40096210, SET_INT_SUBADDR_A = 0x40086226,
                        CHANNEL_ON = 0x40046222, START = 0x6208, WRITE_BC_RAM = 0x4018621d;
constexpr std::size_t kDmaBlock = 128, kInterruptBlock = 16;

inline std::vector<uint8_t> words(std::initializer_list<uint32_t> values)
{
    std::vector<uint8_t> bytes(values.size() * 4);
    std::memcpy(bytes.data(), values.begin(), bytes.size());
    return bytes;
}

inline uint32_t wordAt(const std::vector<uint8_t> &bytes, std::size_t offset)
{
    uint32_t value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

inline std::string node(unsigned channel)
{
    return "mil1553dev-0-ch-" + std::to_string(channel);
}

class Memory : public velkor_sim::CallerMemory {
public:
    Memory(std::vector<uint8_t> record, std::size_t outLength)
        : record_(std::move(record)), out_(outLength)
    {
    }
    uint8_t *record(std::size_t size) override { return size <= record_.size() ? record_.data() : nullptr; }
    uint8_t *follow(std::size_t offset, std::size_t length) override
    {
        return offset == 8 && length <= out_.size() ? out_.data() : nullptr;
    }
    std::vector<uint8_t> record_;
    std::vector<uint8_t> out_;
};

// The calls lie 1 ms apart; `wait` lets the bus run between them.
class Session {
    // Before the board, which reads its clock as it is made.
    uint64_t micros_ = 0;

public:
    Session() = default;
    Session(const Session &) = delete;

    velkor_sim::Board board{0, [this] {
        return std::chrono::steady_clock::time_point(std::chrono::microseconds(micros_));
    }};
    std::vector<Event> events;

    void wait(uint64_t micros) { micros_ += micros; }

    void open(unsigned channel)
    {
        Event event;
        event.kind = Event::Kind::Open;
        event.node = node(channel);
        event.fd = 5 + static_cast<int>(channel);
        event.result = event.fd;
        event.startMicros = micros_;
        events.push_back(event);
    }

    Event &call(unsigned channel, unsigned long request, std::vector<uint8_t> record = {})
    {
        return run(channel, request, std::move(record), 0, 0);
    }

    // A read of `count` entries into a buffer of as many.
    Event &read(unsigned channel, unsigned long request, uint32_t count)
    {
        const std::size_t entry = request == READ_DMA ? kDmaBlock : kInterruptBlock;
        const uint32_t length = request == READ_DMA ? count * kDmaBlock : 0;
        return run(channel, request, words({count, length, 0, 0}), count * entry, entry);
    }

    // What the tool's driver test sends.
    void driverTest(unsigned channel)
    {
        call(channel, GET_DRIVER_VERSION, words({0}));
        call(channel, GET_VERSION_INFO, std::vector<uint8_t>(88));
        call(channel, GET_PCI_LOCATION, std::vector<uint8_t>(13));
    }

    // A remote terminal at address 1 with its interrupts on, which the
    // board's external controller addresses every pass.
    void startTerminal(unsigned channel)
    {
        call(channel, SET_MODE, words({2}));
        call(channel, SET_RT_ADDRESS, {1});
        call(channel, SET_INTERRUPTS, {0, 0, 1, 1, 0, 0, 0, 0, 0});
        call(channel, SET_INT_SUBADDR_A, words({1, 0x7ffffffe}));
        call(channel, START);
        call(channel, CHANNEL_ON, words({1}));
    }

    // One poll of the tool: each count, then a read of that many.
    void poll(unsigned channel)
    {
        read(channel, READ_DMA, wordAt(call(channel, COUNT_DMA, words({0})).recordOut, 0));
        read(channel, READ_INT, wordAt(call(channel, COUNT_INT, words({0})).recordOut, 0));
        call(channel, GET_NUMBER_CHANNEL, words({0}));
    }

    // The tool's driver test, then a remote terminal polled twice, a bus
    // pass (two messages, so two blocks and two interrupts) before each poll.
    std::vector<Event> driverTestAndTerminal()
    {
        open(0);
        driverTest(0);
        startTerminal(0);
        for (int poll = 0; poll < 2; ++poll) {
            wait(600000);
            this->poll(0);
        }
        return events;
    }

private:
    Event &run(unsigned channel, unsigned long request, std::vector<uint8_t> record,
               std::size_t outLength, std::size_t entry)
    {
        const uint64_t somewhere = 0x7f0000001000;
        Event event;
        event.node = node(channel);
        event.fd = 5 + static_cast<int>(channel);
        event.request = request;
        event.startMicros = micros_;
        event.recordIn = record;
        if (entry)
            std::memcpy(record.data() + 8, &somewhere, 8);
        Memory memory(record, outLength);
        const velkor_sim::Reply reply = board.command(channel, request, memory);
        event.result = reply.result;
        event.error = reply.error;
        event.recordOut = memory.record_;
        if (entry) {
            std::memset(event.recordOut.data() + 8, 0, 8);
            const std::size_t filled = std::min<std::size_t>(wordAt(event.recordOut, 0) * entry, outLength);
            event.buffers.push_back({8, Buffer::Direction::Out,
                                     {memory.out_.begin(), memory.out_.begin() + filled}});
        }
        event.durationMicros = 20;
        micros_ += 1000;
        events.push_back(event);
        return events.back();
    }
};

} // namespace model_session

#endif
