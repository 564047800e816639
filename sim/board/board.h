// A model of the MIL-STD-1553 interface board behind its channel driver.
// It knows nothing about how it is attached: the same model answers unit tests
// directly and the real program through the umockdev bridge. Every record is
// decoded by its byte offsets, independently of the tool's own headers.
#ifndef VELKOR_SIM_BOARD_H
#define VELKOR_SIM_BOARD_H

#include "channel_state.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velkor_sim {

// The caller's memory as the board reaches it during one command.
class CallerMemory {
public:
    virtual ~CallerMemory() = default;
    // The command's argument record of `size` bytes, writable; null when unreachable.
    virtual uint8_t *record(std::size_t size) = 0;
    // The `length` bytes that the 8-byte pointer at `offset` of the record points to,
    // writable; null when the pointer is null or the memory unreachable.
    virtual uint8_t *follow(std::size_t offset, std::size_t length) = 0;
};

// What the driver's ioctl returns: result 0 on success, -1 with an errno value.
struct Reply {
    long result;
    int error;
};

// Told of what happens on a board as it happens, on the thread of the
// command; the board's lock is held, so it must not call back into the board.
class BoardTrace {
public:
    virtual ~BoardTrace() = default;
    // A command answered; `text` is its log line without the channel.
    virtual void command(unsigned channel, const std::string &text, const Reply &reply) = 0;
    // The messages on the bus are too long for the load asked for; the bus
    // carries `messagesPerSecond` instead.
    virtual void busAtLimit(uint32_t messagesPerSecond) = 0;
};

class Board {
public:
    static constexpr unsigned kChannels = 4;
    // Where the board reads the time that runs its bus; tests hand in their own.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Board `number` differs from the others only by its PCI locations.
    explicit Board(unsigned number = 0, Clock clock = std::chrono::steady_clock::now);
    Board(const Board &) = delete;
    Board &operator=(const Board &) = delete;
    ~Board();

    // One ioctl on a node of channel `channel`. Thread-safe. A channel outside
    // 0..kChannels-1 answers ENXIO and is not logged.
    Reply command(unsigned channel, unsigned long request, CallerMemory &memory);

    // Back to the state of a freshly powered board: defaults, empty queues,
    // no faults, an empty log, board clock 0, bus auto-run on.
    void reset();

    // The bus runs one pass every 500 ms of board time. With auto-run on (the
    // default), each command first runs the passes due by the board's clock
    // since the last catch-up, at most 20. With it off, board time moves only
    // through runBusPasses, which runs `count` passes 500 ms apart.
    void setBusAutoRun(bool on);
    void runBusPasses(unsigned count);
    // Traffic in real time instead of passes: `messagesPerSecond` messages on
    // the bus, 1 to BusLoad::kMaxRate, or 0 for as many as it carries. The
    // board clock starts again from 0. Kept by reset().
    void setBusLoad(uint32_t messagesPerSecond);

    // Null for none. Kept by reset(); the trace must outlive the board.
    void setTrace(BoardTrace *trace);

    // Every command received, decoded, oldest first.
    std::vector<std::string> log() const;
    void clearLog();
    // A long run with the log off keeps no memory per command; kept by reset().
    void setLogKept(bool on);

    // Identity.
    void setDriverVersion(uint32_t word);
    void setIdentity(uint32_t deviceId, uint32_t vendorId, uint32_t type, uint8_t revision);

    // Registers, by register address.
    uint32_t reg(uint64_t address) const;
    void setReg(uint64_t address, uint32_t value);

    // Queues: each block is delivered once and in order; a full queue
    // (65536 entries) drops what arrives.
    void queueDmaBlock(unsigned channel, const DmaBlock &block);
    void queueInterruptBlock(unsigned channel, const InterruptBlock &block);
    std::size_t pendingDmaBlocks(unsigned channel) const;
    std::size_t pendingInterruptBlocks(unsigned channel) const;

    // Faults, named by what they provoke.
    void failNext(unsigned long request, unsigned times = 1);
    void failNumberQuery();  // IOCTL_GET_NUMBER_CHANNEL fails from now on
    // Blocks that arrive between a count and the following read.
    void queueDmaBlocksBeforeNextRead(unsigned channel, const std::vector<DmaBlock> &blocks);
    void dropDmaBlocksBeforeNextRead(unsigned channel);
    // The next IOCTL_READ_DMA_BLOCKS fills only what fits but reports `extra` more blocks.
    void overreportNextRead(unsigned channel, uint32_t extra);
    // The same for the next IOCTL_READ_INT_BLOCKS.
    void overreportNextInterruptRead(unsigned channel, uint32_t extra);
    // IOCTL_GET_COUNT_DMA_BLOCKS answers `value` whatever the queue holds.
    void reportDmaCount(unsigned channel, uint32_t value);

private:
    struct State;
    State *state_;
};

} // namespace velkor_sim

#endif
