// The driver's request codes, written out as numbers so that the model does
// not share a header (and so a layout mistake) with the tool.
#ifndef VELKOR_SIM_REQUESTS_H
#define VELKOR_SIM_REQUESTS_H

#include <cstddef>
#include <string>

namespace velkor_sim::request {

constexpr unsigned long kWriteRegMasked = 0x40106201;
constexpr unsigned long kReadReg = 0xc0106202;
constexpr unsigned long kSetMode = 0x40046204;
constexpr unsigned long kReset = 0x6205;
constexpr unsigned long kReadDmaBlocks = 0xc0106206;
constexpr unsigned long kGetCountDmaBlocks = 0xc0046207;
constexpr unsigned long kStart = 0x6208;
constexpr unsigned long kStop = 0x6209;
constexpr unsigned long kSetInterrupts = 0x40096210;
constexpr unsigned long kSetRtAddress = 0x40016213;
constexpr unsigned long kWriteRtTrBuf = 0x4042621b;
constexpr unsigned long kWriteBcRam = 0x4018621d;
constexpr unsigned long kGetVersionInfo = 0x8058621f;
constexpr unsigned long kSetBus = 0x40046221;
constexpr unsigned long kChannelOn = 0x40046222;
constexpr unsigned long kSetRtTrMode = 0x40086223;
constexpr unsigned long kSetRtBufMan = 0x400c6224;
constexpr unsigned long kSetRtTrModeBuf = 0x40086225;
constexpr unsigned long kSetIntSubaddrA = 0x40086226;
constexpr unsigned long kSetIntSubaddrB = 0x40086227;
constexpr unsigned long kGetDriverVersion = 0x80046228;
constexpr unsigned long kGetPciLocation = 0x800d6229;
constexpr unsigned long kGetCountIntBlocks = 0xc0046232;
constexpr unsigned long kReadIntBlocks = 0xc0106233;
constexpr unsigned long kGetNumberChannel = 0xc0046237;

// The kernel hands drivers the request as a 32-bit number, so a caller that
// sign-extends it still means the same command.
constexpr unsigned long canonical(unsigned long code) { return code & 0xffffffffUL; }

// The record size carried in bits 29-16 of the code; 0 for commands without argument.
constexpr std::size_t argumentSize(unsigned long code) { return (code >> 16) & 0x3fff; }

// "IOCTL_..." for a command of the set, null for any other code.
const char *name(unsigned long code);
// The code of the command named "IOCTL_..."; 0, which no command has, for any other name.
unsigned long code(const std::string &name);

} // namespace velkor_sim::request

#endif
