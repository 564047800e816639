#include "replayed_memory.h"

#include "pointed_buffers.h"
#include "record_fields.h"
#include "requests.h"

#include <cstring>

namespace velkor_sim::check {

namespace {

using Direction = recording::Buffer::Direction;

// A recording keeps its pointers as zeros, which the table of buffers takes
// for null; any other value stands for the caller's buffer.
std::vector<uint8_t> withPointersSet(const recording::Event &event)
{
    std::vector<uint8_t> record = event.recordIn;
    const uint64_t somewhere = 1;
    for (const Field &field : recordFields(event.request)) {
        if (field.shown == Field::Shown::Pointer && field.offset + 8 <= record.size())
            std::memcpy(record.data() + field.offset, &somewhere, 8);
    }
    return record;
}

} // namespace

ReplayedMemory::ReplayedMemory(const recording::Event &event) : record_(event.recordIn)
{
    for (const recording::Buffer &buffer : event.buffers) {
        if (buffer.direction == Direction::In)
            areas_.push_back({buffer.pointerOffset, buffer.bytes});
    }
    const std::vector<uint8_t> probe = withPointersSet(event);
    if (probe.size() < request::argumentSize(event.request))
        return;
    for (const PointedBuffer &buffer : pointedBuffers(event.request, probe.data())) {
        if (buffer.direction == PointedBuffer::Direction::Out)
            areas_.push_back({buffer.pointerOffset, std::vector<uint8_t>(buffer.length)});
    }
}

uint8_t *ReplayedMemory::record(std::size_t size)
{
    return size <= record_.size() ? record_.data() : nullptr;
}

uint8_t *ReplayedMemory::follow(std::size_t offset, std::size_t length)
{
    for (Area &area : areas_) {
        if (area.pointerOffset == offset && length <= area.bytes.size())
            return area.bytes.data();
    }
    return nullptr;
}

} // namespace velkor_sim::check
