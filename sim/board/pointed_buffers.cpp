#include "pointed_buffers.h"

#include "bytes.h"
#include "requests.h"

#include <algorithm>

namespace velkor_sim {

using bytes::get;
using bytes::put;
using Direction = PointedBuffer::Direction;

namespace {

std::vector<PointedBuffer> reachable(const uint8_t *record, std::size_t pointerOffset,
                                     uint64_t length, Direction direction)
{
    if (!get<uint64_t>(record, pointerOffset) || length == 0 || length > kMaxFollow)
        return {};
    return {{pointerOffset, static_cast<std::size_t>(length), direction}};
}

void lowerCount(uint8_t *record, uint32_t most)
{
    put<uint32_t>(record, 0, std::min(get<uint32_t>(record, 0), most));
}

} // namespace

uint32_t dmaBlocksRoom(const uint8_t *record)
{
    return std::min(get<uint32_t>(record, 0), get<uint32_t>(record, 4) / kDmaBlockBytes);
}

std::vector<PointedBuffer> pointedBuffers(unsigned long request, const uint8_t *record)
{
    switch (request::canonical(request)) {
    case request::kReadDmaBlocks:
        return reachable(record, 8, uint64_t{dmaBlocksRoom(record)} * kDmaBlockBytes, Direction::Out);
    case request::kReadIntBlocks:
        return reachable(record, 8, uint64_t{get<uint32_t>(record, 0)} * kInterruptBlockBytes,
                         Direction::Out);
    case request::kWriteBcRam:
        return reachable(record, 16, uint64_t{get<uint32_t>(record, 8)} * 4, Direction::In);
    default:
        return {};
    }
}

std::vector<std::size_t> pointerFields(unsigned long request)
{
    switch (request::canonical(request)) {
    case request::kReadDmaBlocks:
    case request::kReadIntBlocks:
        return {8};
    case request::kWriteBcRam:
        return {16};
    default:
        return {};
    }
}

void limitOutBuffer(unsigned long request, uint8_t *record, std::size_t room)
{
    const auto most = [room](uint32_t entryBytes) {
        return static_cast<uint32_t>(std::min<std::size_t>(room / entryBytes, UINT32_MAX));
    };
    switch (request::canonical(request)) {
    case request::kReadDmaBlocks:
        lowerCount(record, most(kDmaBlockBytes));
        break;
    case request::kReadIntBlocks:
        lowerCount(record, most(kInterruptBlockBytes));
        break;
    default:
        break;
    }
}

} // namespace velkor_sim
