// The handlers of the driver's commands. Each gets the caller's record,
// already reachable and already logged, and answers as the driver would.
#ifndef VELKOR_SIM_COMMANDS_H
#define VELKOR_SIM_COMMANDS_H

#include "board.h"
#include "board_data.h"

namespace velkor_sim {

struct Call {
    BoardData &board;
    unsigned channel;
    uint8_t *record;
    CallerMemory &memory;

    ChannelState &state() const { return board.channels[channel]; }
    ChannelSettings &settings() const { return state().settings; }
};

constexpr Reply kSuccess{0, 0};
Reply failure(int error);

Reply execute(const Call &call, unsigned long request);

Reply getDriverVersion(const Call &call);
Reply getVersionInfo(const Call &call);
Reply getPciLocation(const Call &call);
Reply getNumberChannel(const Call &call);
Reply readReg(const Call &call);
Reply writeRegMasked(const Call &call);

Reply setMode(const Call &call);
Reply setBus(const Call &call);
Reply channelOn(const Call &call);
Reply start(const Call &call);
Reply stop(const Call &call);
Reply reset(const Call &call);
Reply setInterrupts(const Call &call);
Reply writeBcRam(const Call &call);

Reply setRtAddress(const Call &call);
Reply setRtTrMode(const Call &call);
Reply setRtTrModeBuf(const Call &call);
Reply setRtBufMan(const Call &call);
Reply writeRtTrBuf(const Call &call);
Reply setIntSubaddrA(const Call &call);
Reply setIntSubaddrB(const Call &call);

Reply getCountDmaBlocks(const Call &call);
Reply getCountIntBlocks(const Call &call);
Reply readDmaBlocks(const Call &call);
Reply readIntBlocks(const Call &call);

} // namespace velkor_sim

#endif
