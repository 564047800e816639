// Identity and register commands: they answer for the whole board.
#include "bytes.h"
#include "commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace velkor_sim {

using bytes::get;
using bytes::put;

namespace {

// Copies text into a fixed field, always leaving room for the terminating NUL.
void putText(uint8_t *field, std::size_t size, const std::string &text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

} // namespace

Identity::Identity(unsigned boardNumber)
{
    for (unsigned channel = 0; channel < pciLocations.size(); ++channel) {
        char text[16];
        std::snprintf(text, sizeof text, "0000:%02x:00.%u", (3 + boardNumber) & 0xff, channel);
        pciLocations[channel] = text;
    }
}

Reply getDriverVersion(const Call &call)
{
    put<uint32_t>(call.record, 0, call.board.identity.driverVersion);
    return kSuccess;
}

Reply getVersionInfo(const Call &call)
{
    const Identity &id = call.board.identity;
    std::memset(call.record, 0, 88);
    put<uint32_t>(call.record, 0, id.deviceId);
    put<uint32_t>(call.record, 4, id.vendorId);
    put<uint32_t>(call.record, 8, id.type);
    put<uint8_t>(call.record, 12, id.revision);
    putText(call.record + 13, 30, id.devName);
    return kSuccess;
}

Reply getPciLocation(const Call &call)
{
    putText(call.record, 13, call.board.identity.pciLocations[call.channel]);
    return kSuccess;
}

Reply getNumberChannel(const Call &call)
{
    put<uint32_t>(call.record, 0, call.channel);
    return kSuccess;
}

Reply readReg(const Call &call)
{
    const auto &registers = call.board.registers;
    auto it = registers.find(get<uint64_t>(call.record, 0));
    put<uint32_t>(call.record, 8, it == registers.end() ? 0 : it->second);
    return kSuccess;
}

Reply writeRegMasked(const Call &call)
{
    const uint32_t data = get<uint32_t>(call.record, 8);
    const uint32_t mask = get<uint32_t>(call.record, 12);
    uint32_t &reg = call.board.registers[get<uint64_t>(call.record, 0)];
    reg = (reg & ~mask) | (data & mask);
    return kSuccess;
}

} // namespace velkor_sim
