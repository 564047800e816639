#include "fault_names.h"

#include "options.h"
#include "requests.h"

namespace velkor_sim {

namespace {

// Far beyond any run, yet a count that still fits the board's counter.
constexpr uint32_t kMaxCount = 1000000000;

// "fail=IOCTL_NAME[:COUNT]"
NamedFault failure(const std::string &spec)
{
    const std::size_t colon = spec.find(':');
    const std::string name = spec.substr(0, colon);
    const unsigned long request = request::code(name);
    if (!request)
        throw UsageError("--fault fail=" + name + ": no such command");
    const uint32_t count = colon == std::string::npos
                               ? 1
                               : parseNumber("--fault fail=" + name + " count", spec.substr(colon + 1),
                                             1, kMaxCount);
    return {NamedFault::Kind::Fail, request, count};
}

bool startsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

NamedFault parseFault(const std::string &name)
{
    if (name == "no-channel-number")
        return {NamedFault::Kind::NoChannelNumber};
    if (startsWith(name, "fail="))
        return failure(name.substr(5));
    if (startsWith(name, "dma-count="))
        return {NamedFault::Kind::DmaCount, 0,
                parseNumber("--fault dma-count=", name.substr(10), 0, UINT32_MAX)};
    if (startsWith(name, "overreport="))
        return {NamedFault::Kind::Overreport, 0,
                parseNumber("--fault overreport=", name.substr(11), 1, kMaxCount)};
    throw UsageError("--fault " + name + ": no such fault");
}

void applyFault(Board &board, const NamedFault &fault)
{
    switch (fault.kind) {
    case NamedFault::Kind::NoChannelNumber:
        board.failNumberQuery();
        break;
    case NamedFault::Kind::Fail:
        board.failNext(fault.request, fault.value);
        break;
    case NamedFault::Kind::DmaCount:
        for (unsigned channel = 0; channel < Board::kChannels; ++channel)
            board.reportDmaCount(channel, fault.value);
        break;
    case NamedFault::Kind::Overreport:
        for (unsigned channel = 0; channel < Board::kChannels; ++channel)
            board.overreportNextRead(channel, fault.value);
        break;
    }
}

const char *faultHelp()
{
    return "      no-channel-number        IOCTL_GET_NUMBER_CHANNEL fails (EIO) from the start\n"
           "      fail=IOCTL_NAME[:COUNT]  that command fails (EIO) COUNT times, default once\n"
           "      dma-count=N              IOCTL_GET_COUNT_DMA_BLOCKS always answers N\n"
           "      overreport=N             the first IOCTL_READ_DMA_BLOCKS of each channel\n"
           "                               reports N blocks more than it delivers\n";
}

} // namespace velkor_sim
