#include "main_window.h"
#include "ui_main_window.h"

#include "channel_power.h"
#include "velkor_library/velkor_library.h"
#include "velkor_library/velkor_registers.h"

#include <QTimer>

#include <sys/ioctl.h>

namespace {

// Subaddresses 1 to 30; 0 and 31 are reserved for mode codes.
const uint32_t dataSubaddresses = 0x7FFFFFFE;

} // namespace

void MainWindow::slot_initRT()
{
    if (!openSelectedChannel(" - РЕЖИМ ОУ - '%1' -"))
        return;

    const unsigned int numChannel = velkor_getNumberChannel(chDevice);
    emit signal_writeInTerminal(QString("Канал = %1").arg(QString::number(numChannel + 1)));

    const auto initChannel = [this]() {
        unsigned int modeBus = 2;
        unsigned int bus = 3;
        unsigned char address = static_cast<unsigned char>(ui->spinBox->value());
        ioctl(chDevice, IOCTL_SET_MODE, &modeBus);
        ioctl(chDevice, IOCTL_SET_RT_ADDRESS, &address);
        ioctl(chDevice, IOCTL_SET_BUS, &bus);
        emit signal_writeInTerminal(QString("Адрес = %1").arg(QString::number(address)));
    };
    const auto initSubaddresses = [this]() {
        RT_BUF_MAN_EN rcvEn = {1, dataSubaddresses, dataSubaddresses};
        RT_BUF_MAN_EN trnEn = {0, dataSubaddresses, dataSubaddresses};
        ioctl(chDevice, IOCTL_SET_RT_BUF_MAN, &rcvEn);
        ioctl(chDevice, IOCTL_SET_RT_BUF_MAN, &trnEn);
    };
    const auto initSubaddressBuffer = [this]() {
        for (uint8_t i = 1; i <= 30; ++i) {
            RT_TR_MODE rt_tr_mode = {};
            rt_tr_mode.subaddress = i;
            rt_tr_mode.mode = 0;
            RT_TR_BUF_SUBADDR bufSub = {};
            bufSub.num_buf = 0;
            bufSub.subaddress = i;
            bufSub.data_words[0] = 0x1111;
            bufSub.data_words[1] = 0x2222;
            RT_TR_MODE_BUF rdBuf = {};
            rdBuf.subaddress = i;
            rdBuf.cmd_buf = 2;
            ioctl(chDevice, IOCTL_SET_RT_TR_MODE, &rt_tr_mode);
            ioctl(chDevice, IOCTL_WRITE_RT_TR_BUF, &bufSub);
            ioctl(chDevice, IOCTL_SET_RT_TR_MODE_BUF, &rdBuf);
        }
    };
    const auto initInterrupt = [this](unsigned int numChannel) {
        INTERRUPT_MAN iman = {};
        iman.int_rt_ren = 1;
        iman.int_rt_ten = 1;
        INTERRUPT_SUBADDRESS intSub = {};
        intSub.rt_int = 1;
        intSub.subaddress_mask = dataSubaddresses;
        SADDR_DATA_BIT_MASK bitMask = {};
        bitMask.daddr = velkor_channelRegisterBase(numChannel) + VELKOR_RT_CONF_REG;
        bitMask.data = 7;
        bitMask.mask = 7;
        ioctl(chDevice, IOCTL_SET_INTERRUPTS, &iman);
        ioctl(chDevice, IOCTL_SET_INT_SUBADDR_A, &intSub);
        ioctl(chDevice, IOCTL_SET_INT_SUBADDR_B, &intSub);
        ioctl(chDevice, IOCTL_WRITE_REG_MASKED, &bitMask);
    };
    const auto switchOnChannel = [this]() {
        unsigned int chOn = 1;
        ioctl(chDevice, IOCTL_START);
        ioctl(chDevice, IOCTL_CHANNEL_ON, &chOn);
    };

    switchOffChannel(chDevice);
    initChannel();
    initSubaddresses();
    initSubaddressBuffer();
    initInterrupt(numChannel);
    switchOnChannel();
    chMode = 2;
    channelTimerRT->start(2000);
}
