// Channels set up with the records the tool sends in its two modes, and the
// queues read back, for tests of bus traffic.
#ifndef VELKOR_TESTS_BOARD_TOOL_SET_UP_H
#define VELKOR_TESTS_BOARD_TOOL_SET_UP_H

#include "records.h"
#include "requests.h"

namespace tool {

namespace rq = velkor_sim::request;
using records::Bytes;
using records::put;
using records::send;

inline void sendWord(velkor_sim::Board &board, unsigned channel, unsigned long request,
                     uint32_t value)
{
    Bytes record(4, 0);
    put<uint32_t>(record, 0, value);
    send(board, channel, request, record);
}

inline void sendBare(velkor_sim::Board &board, unsigned channel, unsigned long request)
{
    Bytes none;
    send(board, channel, request, none);
}

inline void writeReg(velkor_sim::Board &board, unsigned channel, uint64_t address, uint32_t data,
                     uint32_t mask)
{
    Bytes record(16, 0);
    put<uint64_t>(record, 0, address);
    put<uint32_t>(record, 8, data);
    put<uint32_t>(record, 12, mask);
    send(board, channel, rq::kWriteRegMasked, record);
}

inline void setInterrupts(velkor_sim::Board &board, unsigned channel, std::vector<uint8_t> flags)
{
    flags.resize(9, 0);
    send(board, channel, rq::kSetInterrupts, flags);
}

inline void writeBcRam(velkor_sim::Board &board, unsigned channel, uint32_t type,
                       std::vector<uint32_t> dwords)
{
    Bytes record(24, 0);
    put<uint32_t>(record, 0, type);
    put<uint32_t>(record, 8, uint32_t(dwords.size()));
    put<void *>(record, 16, dwords.data());
    send(board, channel, rq::kWriteBcRam, record);
}

// The bus controller microprogram addressing the terminal at `address`,
// started with the program bit set.
inline void setUpController(velkor_sim::Board &board, unsigned channel, uint32_t address)
{
    const uint64_t base = 0x2000u * (channel + 1);
    sendWord(board, channel, rq::kSetMode, 1);
    setInterrupts(board, channel, {0, 1});
    writeBcRam(board, channel, 0,
               {0x054F0000, 0x054F0002, 0x19410000, 0x054F0000, 0x054F0002, 0x1D4F0000});
    const uint32_t receive = address << 27 | 0x00300000;
    const uint32_t transmit = address << 27 | 0x04420000;
    writeBcRam(board, channel, 1,
               {0x00010000, receive, 0x00020000, transmit,
                0x00010000, receive, 0x00020000, transmit});
    writeBcRam(board, channel, 2, {0xAAAA5555, 0xAAAA5555});
    sendBare(board, channel, rq::kStart);
    writeReg(board, channel, base + 0x94, 0, 0x0FFF0000);
    sendWord(board, channel, rq::kChannelOn, 1);
    writeReg(board, channel, base + 0x08, 0x8000, 0x8000);
}

inline void setSubaddressInterrupts(velkor_sim::Board &board, unsigned channel, uint32_t mask)
{
    Bytes record(8, 0);
    record[0] = 1;
    put<uint32_t>(record, 4, mask);
    send(board, channel, rq::kSetIntSubaddrA, record);
}

// The remote terminal at `address`, with the parts of the tool's set-up that
// matter on the bus: mode, address, buffer 0 of subaddresses 1 to 30, interrupts.
inline void setUpTerminal(velkor_sim::Board &board, unsigned channel, uint8_t address)
{
    sendWord(board, channel, rq::kSetMode, 2);
    Bytes rtAddress{address};
    send(board, channel, rq::kSetRtAddress, rtAddress);
    for (uint8_t sa = 1; sa <= 30; ++sa) {
        Bytes buffer(66, 0);
        buffer[1] = sa;
        put<uint16_t>(buffer, 2, 0x1111);
        put<uint16_t>(buffer, 4, 0x2222);
        send(board, channel, rq::kWriteRtTrBuf, buffer);
    }
    setInterrupts(board, channel, {0, 0, 1, 1});
    setSubaddressInterrupts(board, channel, 0x7FFFFFFE);
    sendBare(board, channel, rq::kStart);
    sendWord(board, channel, rq::kChannelOn, 1);
}

// Counted through the driver's command, as the tool does, so that an
// auto-running board catches up first.
inline std::vector<Bytes> readDmaBlocks(velkor_sim::Board &board, unsigned channel)
{
    Bytes countRecord(4, 0);
    send(board, channel, rq::kGetCountDmaBlocks, countRecord);
    const auto count = records::get<uint32_t>(countRecord, 0);
    Bytes buffer(std::size_t{count} * 128 + 1);
    Bytes record = records::dmaRead(count, count * 128, buffer);
    send(board, channel, rq::kReadDmaBlocks, record);
    std::vector<Bytes> blocks;
    for (uint32_t i = 0; i < records::get<uint32_t>(record, 0); ++i)
        blocks.emplace_back(buffer.begin() + i * 128, buffer.begin() + (i + 1) * 128);
    return blocks;
}

// interrupt_ch of every queued interrupt block, in order.
inline std::vector<uint32_t> readInterruptWords(velkor_sim::Board &board, unsigned channel)
{
    const auto count = uint32_t(board.pendingInterruptBlocks(channel));
    Bytes entries(std::size_t{count} * 16 + 1);
    Bytes record(16, 0);
    put<uint32_t>(record, 0, count);
    put<void *>(record, 8, entries.data());
    send(board, channel, rq::kReadIntBlocks, record);
    std::vector<uint32_t> words;
    for (uint32_t i = 0; i < count; ++i)
        words.push_back(records::get<uint32_t>(entries, i * 16 + 4));
    return words;
}

} // namespace tool

#endif
