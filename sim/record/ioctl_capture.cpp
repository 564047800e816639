#include "ioctl_capture.h"

#include "bytes.h"
#include "program_memory.h"
#include "requests.h"
#include "unsent_bytes.h"

#include <algorithm>

namespace velkor_sim::record {

using recording::Buffer;
using recording::Event;

IoctlCapture::IoctlCapture(unsigned long request, const void *argument) : argument_(argument)
{
    event_.kind = Event::Kind::Ioctl;
    event_.request = request::canonical(request);
}

void IoctlCapture::before()
{
    const std::size_t size = request::argumentSize(event_.request);
    if (size == 0)
        return;
    // Empty for a null argument, or one that does not point into the program.
    event_.recordIn = copyProgramMemory(argument_, size);
    if (event_.recordIn.empty())
        return;
    pointed_ = pointedBuffers(event_.request, event_.recordIn.data());
    for (const PointedBuffer &buffer : pointed_) {
        if (buffer.direction == PointedBuffer::Direction::In)
            copyBuffer(buffer, buffer.length);
    }
}

Event IoctlCapture::after()
{
    if (!event_.recordIn.empty())
        event_.recordOut = copyProgramMemory(argument_, event_.recordIn.size());
    for (const PointedBuffer &buffer : pointed_) {
        if (buffer.direction == PointedBuffer::Direction::Out)
            copyBuffer(buffer, filledLength(buffer));
    }
    if (!event_.recordIn.empty())
        zeroUnsentBytes(event_.request, event_.recordIn.data());
    if (!event_.recordOut.empty())
        zeroUnfilledBytes(event_.request, event_.recordOut.data());
    std::sort(event_.buffers.begin(), event_.buffers.end(),
              [](const Buffer &a, const Buffer &b) { return a.pointerOffset < b.pointerOffset; });
    return std::move(event_);
}

// The driver's count after the call says how much of an out buffer it filled.
std::size_t IoctlCapture::filledLength(const PointedBuffer &buffer) const
{
    if (event_.recordOut.empty())
        return 0;
    for (const PointedBuffer &filled : pointedBuffers(event_.request, event_.recordOut.data())) {
        if (filled.pointerOffset == buffer.pointerOffset)
            return std::min(filled.length, buffer.length);
    }
    return 0;
}

void IoctlCapture::copyBuffer(const PointedBuffer &buffer, std::size_t length)
{
    if (length == 0)
        return;
    const auto *address = reinterpret_cast<const void *>(
        bytes::get<uint64_t>(event_.recordIn.data(), buffer.pointerOffset));
    std::vector<uint8_t> copied = copyProgramMemory(address, length);
    if (copied.empty())
        return;
    const auto direction = buffer.direction == PointedBuffer::Direction::In ? Buffer::Direction::In
                                                                            : Buffer::Direction::Out;
    event_.buffers.push_back({buffer.pointerOffset, direction, std::move(copied)});
}

} // namespace velkor_sim::record
