#include "commands.h"
#include "requests.h"

#include <cerrno>
#include <map>

namespace velkor_sim {

namespace {

using Handler = Reply (*)(const Call &);

const std::map<unsigned long, Handler> kHandlers = {
    {request::kGetDriverVersion, getDriverVersion},
    {request::kGetVersionInfo, getVersionInfo},
    {request::kGetPciLocation, getPciLocation},
    {request::kGetNumberChannel, getNumberChannel},
    {request::kReadReg, readReg},
    {request::kWriteRegMasked, writeRegMasked},
    {request::kSetMode, setMode},
    {request::kSetBus, setBus},
    {request::kChannelOn, channelOn},
    {request::kStart, start},
    {request::kStop, stop},
    {request::kReset, reset},
    {request::kSetInterrupts, setInterrupts},
    {request::kWriteBcRam, writeBcRam},
    {request::kSetRtAddress, setRtAddress},
    {request::kSetRtTrMode, setRtTrMode},
    {request::kSetRtTrModeBuf, setRtTrModeBuf},
    {request::kSetRtBufMan, setRtBufMan},
    {request::kWriteRtTrBuf, writeRtTrBuf},
    {request::kSetIntSubaddrA, setIntSubaddrA},
    {request::kSetIntSubaddrB, setIntSubaddrB},
    {request::kGetCountDmaBlocks, getCountDmaBlocks},
    {request::kGetCountIntBlocks, getCountIntBlocks},
    {request::kReadDmaBlocks, readDmaBlocks},
    {request::kReadIntBlocks, readIntBlocks},
};

} // namespace

Reply failure(int error)
{
    return {-1, error};
}

Reply execute(const Call &call, unsigned long request)
{
    auto it = kHandlers.find(request);
    return it == kHandlers.end() ? failure(ENOTTY) : it->second(call);
}

} // namespace velkor_sim
