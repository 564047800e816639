// End to end: two windows, one per channel, a bus controller and a remote
// terminal talking over the simulated bus, each seeing its own side.
#include "board_fixture.h"
#include "window_probe.h"

#include <QRegularExpression>

namespace {

// Timer values depend on the bus's timing; everything else is fixed.
QStringList withoutTimers(const QStringList &lines)
{
    QStringList result;
    for (QString line : lines)
        result.append(line.replace(QRegularExpression("(freeTimer: |freetimer = )\\d+"), "\\1T"));
    return result;
}

QString transaction(int type, bool success, int serviceWords, int dataWords, const QString &subaddress = {})
{
    return QString("Транзакция - тип = %1 - %2 - freeTimer: T - CntServWords: %3 - CntDataWords: %4 - %5Шина: Шина А")
        .arg(type)
        .arg(success ? "нет ошибок" : "ошибка")
        .arg(serviceWords)
        .arg(dataWords)
        .arg(subaddress.isEmpty() ? QString() : "Subaddress: " + subaddress + " - ");
}

// The controller's data area holds 0xAAAA5555 twice; a receive command of 16
// words sends those four words, then zeros.
const QString controllerWords = "Слова данных: 0x5555, 0xaaaa, 0x5555, 0xaaaa" + QString(", 0x0").repeated(12) + ";";
const QString terminalWords = "Слова данных: 0x1111, 0x2222;";

} // namespace

class BusTrafficTest : public QObject
{
    Q_OBJECT

    static void setUp(WindowProbe &probe, int channel, const char *modeButton, int address)
    {
        probe.selectChannel(channel);
        probe.setAddress(address);
        probe.click(modeButton);
        probe.clearTerminal();
    }

    struct Traffic {
        QStringList controller;
        QStringList terminal;
    };

    // Channel 1 as terminal at `terminalAddress`, channel 0 as bus controller
    // addressing `controllerTarget`, one pass of the bus, one tick each.
    static Traffic onePass(int terminalAddress, int controllerTarget)
    {
        WindowProbe terminal, controller;
        setUp(terminal, 1, "pushButton_initRT", terminalAddress);
        setUp(controller, 0, "pushButton_initBC", controllerTarget);
        BoardFixture::board().runBusPasses(1);
        controller.invoke("slot_timerDMA");
        terminal.invoke("slot_timerDMA_RT");
        return {withoutTimers(controller.messages()), withoutTimers(terminal.messages())};
    }

private slots:
    void initTestCase() { BoardFixture::simulated(); }
    void init() { BoardFixture::reset(); }

    void controllerAndTerminalSeeEachOthersWords()
    {
        const Traffic traffic = onePass(5, 5);
        const QString receive = transaction(1, true, 2, 16);
        const QString transmit = transaction(2, true, 2, 2);
        QCOMPARE(traffic.controller,
                 QStringList({"countInterrupts = 1", "freetimer = T, interrupt_ch = 1b", "timerDMA", receive,
                              controllerWords, transmit, terminalWords, receive, controllerWords, transmit,
                              terminalWords}));

        const QString received = transaction(1, true, 2, 16, "1");
        const QString transmitted = transaction(2, true, 2, 2, "2");
        QCOMPARE(traffic.terminal,
                 QStringList({"countInterrupts = 4", "freetimer = T, interrupt_ch = 10b",
                              "freetimer = T, interrupt_ch = 100b", "freetimer = T, interrupt_ch = 10b",
                              "freetimer = T, interrupt_ch = 100b", "timerDMA", received, controllerWords,
                              transmitted, terminalWords, received, controllerWords, transmitted, terminalWords}));
    }

    void withNoTerminalAtTheAddressEveryTransactionFails()
    {
        const Traffic traffic = onePass(6, 5);
        const QString receive = transaction(1, false, 1, 16);
        const QString transmit = transaction(2, false, 1, 0);
        QCOMPARE(traffic.controller,
                 QStringList({"countInterrupts = 1", "freetimer = T, interrupt_ch = 1b", "timerDMA", receive,
                              controllerWords, transmit, receive, controllerWords, transmit}));
        QVERIFY(traffic.terminal.isEmpty());
    }

    void aTerminalAloneIsAddressedByTheExternalController()
    {
        WindowProbe terminal;
        setUp(terminal, 2, "pushButton_initRT", 9);
        BoardFixture::board().runBusPasses(2);
        terminal.invoke("slot_timerDMA_RT");
        const QStringList lines = withoutTimers(terminal.messages());
        QCOMPARE(lines.count(transaction(1, true, 2, 16, "1")), 2);
        QCOMPARE(lines.count(transaction(2, true, 2, 2, "2")), 2);
        QCOMPARE(lines.count(terminalWords), 2);
    }
};

QTEST_MAIN(BusTrafficTest)
#include "test_bus_traffic.moc"
