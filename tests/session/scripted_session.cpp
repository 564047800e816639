// A bench session scripted on the tool's real window, for recording and
// replay: the driver test on channel 0, the bus controller on channel 1 and
// the remote terminal on channel 2, each polled a few times by hand with the
// window's timers stopped, so that the calls it makes, and their order, do
// not depend on how fast the machine is. Prints the terminal's lines without
// their time stamps. With "--depart" the remote terminal gets another
// address: a session that departs from its recording at one call.
#include "window_probe.h"

#include <QApplication>
#include <QThread>
#include <cstdio>

namespace {

constexpr int kTicks = 4;
// Long enough for live traffic to bring new blocks between two polls.
constexpr int kTickGapMs = 150;

void stopTimers(MainWindow &window)
{
    for (QTimer *timer : window.findChildren<QTimer *>())
        timer->stop();
}

void runMode(WindowProbe &probe, int channel, int address, const char *button, const char *tickSlot)
{
    probe.selectChannel(channel);
    probe.setAddress(address);
    probe.click(button);
    stopTimers(probe.window);
    for (int tick = 0; tick < kTicks; ++tick) {
        QThread::msleep(kTickGapMs);
        if (!QMetaObject::invokeMethod(&probe.window, tickSlot))
            qFatal("the window has no slot %s", tickSlot);
    }
    probe.click("pushButton_Stop");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool depart = argc > 1 && QByteArray(argv[1]) == "--depart";
    WindowProbe probe;
    probe.selectChannel(0);
    probe.click("pushButton_startDriverTest");
    runMode(probe, 1, 5, "pushButton_initBC", "slot_timerDMA");
    runMode(probe, 2, depart ? 6 : 5, "pushButton_initRT", "slot_timerDMA_RT");
    for (const QString &line : probe.messages())
        std::printf("%s\n", line.toUtf8().constData());
    return 0;
}
