#include "recorded_call.h"

#include "pointed_buffers.h"
#include "requests.h"
#include "unsent_bytes.h"

#include <algorithm>
#include <cstdio>

namespace velkor_sim::replay {

using recording::Buffer;
using recording::Event;

namespace {

constexpr std::size_t kPointerBytes = 8;

std::string byteText(uint8_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

std::optional<std::string> firstDifference(const std::string &what,
                                           const std::vector<uint8_t> &expected,
                                           const uint8_t *got, std::size_t gotSize)
{
    const std::size_t common = std::min(expected.size(), gotSize);
    const auto [want, have] = std::mismatch(expected.begin(), expected.begin() + common, got);
    if (want != expected.begin() + common)
        return what + " byte " + std::to_string(want - expected.begin()) + ": expected " +
               byteText(*want) + ", got " + byteText(*have);
    if (expected.size() != gotSize)
        return what + ": " + std::to_string(expected.size()) + " bytes recorded, " +
               std::to_string(gotSize) + " came";
    return std::nullopt;
}

bool inPointerField(std::size_t offset, const std::vector<std::size_t> &pointers)
{
    return std::any_of(pointers.begin(), pointers.end(), [offset](std::size_t pointer) {
        return offset >= pointer && offset < pointer + kPointerBytes;
    });
}

// The recorder writes pointers, gaps and what the driver does not read as
// zeros: the caller's addresses and leftover bytes are never the same twice.
std::vector<uint8_t> sentBytes(unsigned long request, const uint8_t *record, std::size_t size)
{
    std::vector<uint8_t> masked(record, record + size);
    if (masked.size() == request::argumentSize(request))
        zeroUnsentBytes(request, masked.data());
    return masked;
}

std::optional<std::string> inBuffersDiffer(const Event &recorded, CallerMemory &memory)
{
    for (const Buffer &buffer : recorded.buffers) {
        if (buffer.direction != Buffer::Direction::In || buffer.bytes.empty())
            continue;
        const std::string what = "in@" + std::to_string(buffer.pointerOffset);
        const uint8_t *got = memory.follow(buffer.pointerOffset, buffer.bytes.size());
        if (!got)
            return what + ": unreachable";
        if (auto difference = firstDifference(what, buffer.bytes, got, buffer.bytes.size()))
            return difference;
    }
    return std::nullopt;
}

std::size_t room(const std::vector<PointedBuffer> &callers, std::size_t pointerOffset)
{
    for (const PointedBuffer &buffer : callers) {
        if (buffer.pointerOffset == pointerOffset && buffer.direction == PointedBuffer::Direction::Out)
            return buffer.length;
    }
    return 0;
}

struct OutTarget {
    const Buffer &recorded;
    uint8_t *bytes;
};

// Where the recorded out buffers go, each reached before anything is written.
std::optional<std::string> reachOutBuffers(const Event &recorded, unsigned long request,
                                           const uint8_t *record, CallerMemory &memory,
                                           std::vector<OutTarget> &targets)
{
    const std::vector<PointedBuffer> callers =
        record ? pointedBuffers(request, record) : std::vector<PointedBuffer>{};
    for (const Buffer &buffer : recorded.buffers) {
        if (buffer.direction != Buffer::Direction::Out || buffer.bytes.empty())
            continue;
        const std::string what = "out@" + std::to_string(buffer.pointerOffset);
        const std::size_t holds = room(callers, buffer.pointerOffset);
        if (buffer.bytes.size() > holds)
            return what + ": " + std::to_string(buffer.bytes.size()) +
                   " bytes recorded, the caller's buffer holds " + std::to_string(holds);
        uint8_t *target = memory.follow(buffer.pointerOffset, buffer.bytes.size());
        if (!target)
            return what + ": unreachable";
        targets.push_back({buffer, target});
    }
    return std::nullopt;
}

void writeRecord(const std::vector<uint8_t> &recordOut, uint8_t *record, std::size_t size,
                 const std::vector<std::size_t> &pointers)
{
    for (std::size_t offset = 0; offset < std::min(size, recordOut.size()); ++offset) {
        if (!inPointerField(offset, pointers))
            record[offset] = recordOut[offset];
    }
}

} // namespace

std::optional<std::string> answerAsRecorded(const Event &recorded, unsigned long request,
                                            CallerMemory &memory)
{
    const std::size_t size = request::argumentSize(request);
    uint8_t *record = size ? memory.record(size) : nullptr;
    if (size && !record)
        return std::string("in: unreachable");
    const std::vector<std::size_t> pointers = pointerFields(request);
    const std::vector<uint8_t> in = sentBytes(request, record, size);
    const std::vector<uint8_t> expected = sentBytes(request, recorded.recordIn.data(), recorded.recordIn.size());
    if (auto difference = firstDifference("in", expected, in.data(), in.size()))
        return difference;
    if (auto difference = inBuffersDiffer(recorded, memory))
        return difference;
    std::vector<OutTarget> targets;
    if (auto difference = reachOutBuffers(recorded, request, record, memory, targets))
        return difference;
    writeRecord(recorded.recordOut, record, size, pointers);
    for (const OutTarget &target : targets)
        std::copy(target.recorded.bytes.begin(), target.recorded.bytes.end(), target.bytes);
    return std::nullopt;
}

} // namespace velkor_sim::replay
