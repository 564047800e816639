#include "requests.h"

#include <array>
#include <utility>

namespace velkor_sim::request {

namespace {

const std::array<std::pair<unsigned long, const char *>, 25> kNames = {{
    {kWriteRegMasked, "IOCTL_WRITE_REG_MASKED"},
    {kReadReg, "IOCTL_READ_REG"},
    {kSetMode, "IOCTL_SET_MODE"},
    {kReset, "IOCTL_RESET"},
    {kReadDmaBlocks, "IOCTL_READ_DMA_BLOCKS"},
    {kGetCountDmaBlocks, "IOCTL_GET_COUNT_DMA_BLOCKS"},
    {kStart, "IOCTL_START"},
    {kStop, "IOCTL_STOP"},
    {kSetInterrupts, "IOCTL_SET_INTERRUPTS"},
    {kSetRtAddress, "IOCTL_SET_RT_ADDRESS"},
    {kWriteRtTrBuf, "IOCTL_WRITE_RT_TR_BUF"},
    {kWriteBcRam, "IOCTL_WRITE_BC_RAM"},
    {kGetVersionInfo, "IOCTL_GET_VERSION_INFO"},
    {kSetBus, "IOCTL_SET_BUS"},
    {kChannelOn, "IOCTL_CHANNEL_ON"},
    {kSetRtTrMode, "IOCTL_SET_RT_TR_MODE"},
    {kSetRtBufMan, "IOCTL_SET_RT_BUF_MAN"},
    {kSetRtTrModeBuf, "IOCTL_SET_RT_TR_MODE_BUF"},
    {kSetIntSubaddrA, "IOCTL_SET_INT_SUBADDR_A"},
    {kSetIntSubaddrB, "IOCTL_SET_INT_SUBADDR_B"},
    {kGetDriverVersion, "IOCTL_GET_DRIVER_VERSION"},
    {kGetPciLocation, "IOCTL_GET_PCI_LOCATION"},
    {kGetCountIntBlocks, "IOCTL_GET_COUNT_INT_BLOCKS"},
    {kReadIntBlocks, "IOCTL_READ_INT_BLOCKS"},
    {kGetNumberChannel, "IOCTL_GET_NUMBER_CHANNEL"},
}};

} // namespace

unsigned long code(const std::string &name)
{
    for (const auto &entry : kNames) {
        if (name == entry.second)
            return entry.first;
    }
    return 0;
}

const char *name(unsigned long code)
{
    for (const auto &entry : kNames) {
        if (entry.first == code)
            return entry.second;
    }
    return nullptr;
}

} // namespace velkor_sim::request
