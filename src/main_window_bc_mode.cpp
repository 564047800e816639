#include "main_window.h"
#include "ui_main_window.h"

#include "channel_power.h"
#include "velkor_library/velkor_library.h"
#include "velkor_library/velkor_registers.h"

#include <QTimer>

#include <sys/ioctl.h>

namespace {

const uint32_t instructionProgram[] = {0x054F0000, 0x054F0002, 0x19410000,
                                       0x054F0000, 0x054F0002, 0x1D4F0000};

// Two passes of: a receive command of 16 words to subaddress 1, then a
// transmit command of 2 words from subaddress 2, both to terminal `adr`.
void fillOperations(uint32_t *dwords, unsigned int adr)
{
    const uint32_t address = adr << 27;
    const uint32_t pass[] = {0x00010000, address | 0x00300000, 0x00020000, address | 0x04420000};
    for (int i = 0; i < 8; ++i)
        dwords[i] = pass[i % 4];
}

} // namespace

void MainWindow::slot_initBC()
{
    if (!openSelectedChannel(" - РЕЖИМ КШ - '%1' -"))
        return;

    const unsigned int numChannel = velkor_getNumberChannel(chDevice);
    emit signal_writeInTerminal(QString("Канал = %1").arg(QString::number(numChannel + 1)));
    const unsigned long base = velkor_channelRegisterBase(numChannel);

    const auto initInterruptBc = [this]() {
        INTERRUPT_MAN iman = {};
        iman.int_bc = 1;
        ioctl(chDevice, IOCTL_SET_INTERRUPTS, &iman);
    };
    const auto initChannel = [this]() {
        unsigned int modeBus = 1;
        unsigned int bus = 3;
        ioctl(chDevice, IOCTL_SET_MODE, &modeBus);
        ioctl(chDevice, IOCTL_SET_BUS, &bus);
    };
    const auto readRegister = [this](unsigned long regAdr, const QString &name) {
        SADDR_DATA dataAdr = {};
        dataAdr.daddr = regAdr;
        ioctl(chDevice, IOCTL_READ_REG, &dataAdr);
        emit signal_writeInTerminal(QString("%1 = %2b").arg(name).arg(QString::number(dataAdr.data, 2)));
    };
    const auto writeMicroProgram = [this]() {
        BC_RAM_BLOCK *block_instruction = velkor_newBcRamBlock(0, 6, 0);
        BC_RAM_BLOCK *block_operation = velkor_newBcRamBlock(1, 8, 0);
        const unsigned int adr = static_cast<unsigned int>(ui->spinBox->value());
        emit signal_writeInTerminal(QString("adr = %1").arg(QString::number(adr)));
        BC_RAM_BLOCK *block_data = velkor_newBcRamBlock(2, 2, 0);
        if (block_instruction && block_operation && block_data) {
            std::copy(std::begin(instructionProgram), std::end(instructionProgram), block_instruction->dwords);
            fillOperations(block_operation->dwords, adr);
            block_data->dwords[0] = block_data->dwords[1] = 0xAAAA5555;
            ioctl(chDevice, IOCTL_WRITE_BC_RAM, block_instruction);
            ioctl(chDevice, IOCTL_WRITE_BC_RAM, block_operation);
            ioctl(chDevice, IOCTL_WRITE_BC_RAM, block_data);
        }
        velkor_freeBcRamBlock(block_instruction);
        velkor_freeBcRamBlock(block_operation);
        velkor_freeBcRamBlock(block_data);
    };
    const auto switchOnChannel = [this]() {
        ioctl(chDevice, IOCTL_START);
        velkor_bcSetStartInstructionAddress(chDevice, 0);
        unsigned int chOn = 1;
        ioctl(chDevice, IOCTL_CHANNEL_ON, &chOn);
    };

    switchOffChannel(chDevice);
    readRegister(base + VELKOR_CTRL_REG_PCI_CH, "CTRL_REG_PCI_CH");
    initChannel();
    initInterruptBc();
    writeMicroProgram();
    switchOnChannel();
    velkor_bcProgram(chDevice, VELKOR_FAILURE);
    readRegister(base + VELKOR_BC_CONF_REG_PCI_CH, "BC_CONF_REG_PCI_CH");
    readRegister(base + VELKOR_CTRL_REG_PCI_CH, "CTRL_REG_PCI_CH");
    chMode = 1;
    channelTimerBC->start(2000);
}
