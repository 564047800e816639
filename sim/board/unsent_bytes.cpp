#include "unsent_bytes.h"

#include "bytes.h"
#include "pointed_buffers.h"
#include "requests.h"

#include <cstring>
#include <vector>

namespace velkor_sim {

namespace {

struct Gap {
    std::size_t offset;
    std::size_t length;
};

std::vector<Gap> gaps(unsigned long request)
{
    switch (request::canonical(request)) {
    case request::kReadReg:
    case request::kWriteBcRam:
        return {{12, 4}};
    case request::kReadIntBlocks:
        return {{4, 4}};
    case request::kSetIntSubaddrA:
    case request::kSetIntSubaddrB:
    case request::kSetRtTrMode:
    case request::kSetRtTrModeBuf:
        return {{1, 3}};
    case request::kGetVersionInfo:
        return {{43, 1}, {52, 4}, {76, 4}};
    default:
        return {};
    }
}

// Bits 31-30 of the code: the driver reads the record only with bit 30 set.
bool driverReads(unsigned long request) { return (request >> 30) & 1; }

void zero(uint8_t *record, std::size_t offset, std::size_t length)
{
    std::memset(record + offset, 0, length);
}

void zeroPointersAndGaps(unsigned long request, uint8_t *record)
{
    for (std::size_t offset : pointerFields(request))
        bytes::put<uint64_t>(record, offset, 0);
    for (const Gap &gap : gaps(request))
        zero(record, gap.offset, gap.length);
}

} // namespace

void zeroUnsentBytes(unsigned long request, uint8_t *record)
{
    if (!driverReads(request)) {
        zero(record, 0, request::argumentSize(request));
        return;
    }
    zeroPointersAndGaps(request, record);
    // The register's value is the driver's answer; what the field held before is not asked.
    if (request::canonical(request) == request::kReadReg)
        zero(record, 8, 4);
}

void zeroUnfilledBytes(unsigned long request, uint8_t *record) { zeroPointersAndGaps(request, record); }

} // namespace velkor_sim
