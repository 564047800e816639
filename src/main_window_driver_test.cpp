#include "main_window.h"

#include "velkor_cmd.h"

#include <sys/ioctl.h>

void MainWindow::slot_driverTest()
{
    if (!openSelectedChannel(" - ТЕСТ ДРАЙВЕРА - '%1' -"))
        return;

    // Cleared, so that a command the driver refuses shows zeros rather than
    // whatever the stack held.
    unsigned int version = 0;
    VERSION info = {};
    PCI_LOCATION pciLoc = {};
    ioctl(chDevice, IOCTL_GET_DRIVER_VERSION, &version);
    ioctl(chDevice, IOCTL_GET_VERSION_INFO, &info);
    ioctl(chDevice, IOCTL_GET_PCI_LOCATION, &pciLoc);

    emit signal_writeInTerminal(QString("Дата драйвера: %1.%2.%3; Версия драйвера: %4.%5;")
                                    .arg(QString::number((version >> 16) & 0xFF))
                                    .arg(QString::number((version >> 8) & 0xFF))
                                    .arg(QString::number(version & 0xFF))
                                    .arg(QString::number((version >> 28) & 0xF))
                                    .arg(QString::number((version >> 24) & 0xF)));
    emit signal_writeInTerminal(QString("DevId: 0x%1; VenId: 0x%2; Type: 0x%3; RevId: 0x%4;")
                                    .arg(QString::number(info.device_id, 16))
                                    .arg(QString::number(info.vendor_id, 16))
                                    .arg(QString::number(info.type, 16))
                                    .arg(QString::number(static_cast<unsigned char>(info.revision), 16)));
    // The location ends at its terminating zero; bytes after it are not text.
    emit signal_writeInTerminal(QString("PCI локация: %1;")
                                    .arg(QString::fromLatin1(pciLoc.name, qstrnlen(pciLoc.name, sizeof pciLoc.name))));
}
