// The check of a recording against the model, on events made in code: a
// session taken from the model itself, then changed the way a driver that
// departs from the model would change it.
#include "check_recording.h"
#include "model_session.h"

#include <QtTest>

#include <cerrno>
#include <functional>

using namespace velkor_sim;
using namespace model_session;
using Events = std::vector<Event>;

namespace {

Events cleanSession()
{
    Session session;
    return session.driverTestAndTerminal();
}

std::size_t indexOf(const Events &events, unsigned long request, int nth = 0)
{
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind == Event::Kind::Ioctl && events[i].request == request && nth-- == 0)
            return i;
    }
    qFatal("no such call in the session");
}

void setWord(std::vector<uint8_t> &bytes, std::size_t offset, uint32_t value)
{
    std::memcpy(bytes.data() + offset, &value, 4);
}

std::vector<uint8_t> &deliveredBlocks(Event &read)
{
    return read.buffers.at(0).bytes;
}

check::CheckReport checked(const Events &events, unsigned boards = 1)
{
    return check::checkRecording(events, {boards, nullptr});
}

QStringList differences(const Events &events)
{
    QStringList lines;
    for (const std::string &line : checked(events).differences)
        lines.append(QString::fromStdString(line));
    return lines;
}

struct Change {
    const char *what;
    unsigned long request;
    int nth;
    std::function<void(Event &)> change;
    QString expected;  // after "event N, mil1553dev-0-ch-0, "
};

// Each change alone gives exactly the expected line, at the changed event.
void expectEach(const std::vector<Change> &changes)
{
    for (const Change &change : changes) {
        Events events = cleanSession();
        const std::size_t at = indexOf(events, change.request, change.nth);
        change.change(events[at]);
        const QString where = QString("event %1, mil1553dev-0-ch-0, ").arg(at + 1);
        QVERIFY2(differences(events) == QStringList{where + change.expected},
                 qPrintable(QString(change.what) + ": " + differences(events).join(" | ")));
    }
}

} // namespace

class CheckRecordingTest : public QObject
{
    Q_OBJECT

private slots:
    // The session delivered blocks and interrupts, or it would prove little.
    void answersTakenFromTheModelAgree()
    {
        const Events events = cleanSession();
        QVERIFY(wordAt(events[indexOf(events, READ_DMA)].recordOut, 0) > 0);
        QVERIFY(wordAt(events[indexOf(events, READ_INT)].recordOut, 0) > 0);
        const check::CheckReport report = checked(events);
        QCOMPARE(report.differences, std::vector<std::string>{});
        QCOMPARE(report.commands, events.size() - 1);
        const std::vector<check::FieldGroup> byKind = {
            {"IOCTL_GET_COUNT_DMA_BLOCKS", {"count"}},
            {"IOCTL_READ_DMA_BLOCKS", {"countBlocks"}},
            {"DMA block",
             {"status word", "free timer (bus controller)", "free timer (remote terminal)", "data words"}},
            {"IOCTL_GET_COUNT_INT_BLOCKS", {"count"}},
            {"IOCTL_READ_INT_BLOCKS", {"count_blocks"}},
            {"block_info", {"free_timer_value", "interrupt_ch", "hw_stat_reg1", "hw_stat_reg2"}},
        };
        QVERIFY(report.comparedByKind == byKind);
        const std::vector<check::FieldGroup> machines = {
            {"IOCTL_GET_VERSION_INFO",
             {"minor", "irq", "size_dma", "addr_dma_virt", "pci_bars", "addr_bar_virt"}}};
        QVERIFY(report.notCompared == machines);
    }

    void changedAnswersAreNamedByField()
    {
        expectEach({
            {"version record", GET_VERSION_INFO, 0, [](Event &e) { e.recordOut[0] = 0x4b; },
             "IOCTL_GET_VERSION_INFO: device_id 0x4b recorded, 0x4a by the model"},
            {"version word", GET_DRIVER_VERSION, 0, [](Event &e) { setWord(e.recordOut, 0, 0x13100814); },
             "IOCTL_GET_DRIVER_VERSION: driver_version 0x13100814 recorded, 0x12100814 by the model"},
            {"location text", GET_PCI_LOCATION, 0, [](Event &e) { e.recordOut[11] = '7'; },
             "IOCTL_GET_PCI_LOCATION: name \"0000:03:00.7\" recorded, \"0000:03:00.0\" by the model"},
            {"failure", GET_NUMBER_CHANNEL, 1,
             [](Event &e) {
                 e.result = -1;
                 e.error = EIO;
             },
             "IOCTL_GET_NUMBER_CHANNEL: result -1 errno 5 (EIO) recorded, 0 by the model"},
            {"in-only record", SET_MODE, 0, [](Event &e) { setWord(e.recordOut, 0, 1); },
             "IOCTL_SET_MODE: record changed by the driver: mode 2 sent, 1 back"},
        });
    }

    // Without the words the model could not reach them, and would fail the command.
    void buffersTheDriverReadReachTheModel()
    {
        Event write;
        write.node = node(0);
        write.request = WRITE_BC_RAM;
        write.recordIn = words({2, 0, 2, 0, 0, 0});
        write.recordOut = write.recordIn;
        write.buffers = {{16, Buffer::Direction::In, words({0xaaaa5555, 0x12345678})}};
        QCOMPARE(checked({write}).differences, std::vector<std::string>{});
    }

    // The board options reach the model: here a failure, of another kind than recorded.
    void failuresDifferByErrno()
    {
        Events events = cleanSession();
        const std::size_t at = indexOf(events, GET_VERSION_INFO);
        events[at].result = -1;
        events[at].error = ENODEV;
        const auto failing = [](Board &board) { board.failNext(GET_VERSION_INFO); };
        QCOMPARE(check::checkRecording(events, {1, failing}).differences,
                 std::vector<std::string>{"event " + std::to_string(at + 1) +
                                          ", mil1553dev-0-ch-0, IOCTL_GET_VERSION_INFO: result -1 "
                                          "errno 19 (ENODEV) recorded, result -1 errno 5 (EIO) by the model"});
    }

    // Held on the recorded answers alone: the model's queue runs on its own.
    void deliveryContractBreachesAreReported()
    {
        expectEach({
            {"over-delivery", READ_DMA, 0, [](Event &e) { setWord(e.recordOut, 0, 3); },
             "IOCTL_READ_DMA_BLOCKS: countBlocks 3 delivered, more than the 2 asked for"},
            {"short DMA read", READ_DMA, 1,
             [](Event &e) {
                 setWord(e.recordOut, 0, 1);
                 deliveredBlocks(e).resize(kDmaBlock);
             },
             "IOCTL_READ_DMA_BLOCKS: countBlocks 1 delivered, fewer than the 2 ready by the count before"},
            {"short interrupt read", READ_INT, 0, [](Event &e) { setWord(e.recordOut, 0, 0); },
             "IOCTL_READ_INT_BLOCKS: count_blocks 0 delivered, fewer than the 2 ready by the count before"},
            {"too many data words", READ_DMA, 0, [](Event &e) { setWord(deliveredBlocks(e), 0, 40 << 5 | 2 << 11); },
             "IOCTL_READ_DMA_BLOCKS: block 0 malformed: 40 data words, more than the block holds"},
            {"unfilled block", READ_DMA, 0, [](Event &e) { std::fill_n(deliveredBlocks(e).begin() + kDmaBlock, kDmaBlock, 0); },
             "IOCTL_READ_DMA_BLOCKS: block 1 malformed: 0 service words, not 1 or 2"},
        });
        Events events = cleanSession();
        const std::size_t second = indexOf(events, READ_DMA, 1);
        std::copy_n(deliveredBlocks(events[indexOf(events, READ_DMA, 0)]).begin() + kDmaBlock,
                    kDmaBlock, deliveredBlocks(events[second]).begin());
        QCOMPARE(differences(events),
                 QStringList{QString("event %1, mil1553dev-0-ch-0, IOCTL_READ_DMA_BLOCKS: block 0 "
                                     "delivered again, by the read before")
                                 .arg(second + 1)});
    }

    // Counts, timers and the blocks' contents depend on when the call came;
    // the VERSION fields that are the machine's own are not the model's to say.
    void timeDependentAndMachineValuesAreNotCompared()
    {
        Events events = cleanSession();
        setWord(events[indexOf(events, COUNT_DMA, 1)].recordOut, 0, 1);
        setWord(events[indexOf(events, COUNT_INT, 0)].recordOut, 0, 0);
        Event &read = events[indexOf(events, READ_DMA, 1)];
        setWord(deliveredBlocks(read), 16, 123456);
        deliveredBlocks(read)[64] ^= 0xff;
        Event &interrupts = events[indexOf(events, READ_INT, 1)];
        setWord(deliveredBlocks(interrupts), 0, 99);
        setWord(deliveredBlocks(interrupts), 4, 0x80);
        Event &version = events[indexOf(events, GET_VERSION_INFO)];
        setWord(version.recordOut, 48, 11);
        setWord(version.recordOut, 64, 0xffff8000);
        QCOMPARE(differences(events), QStringList{});
    }

    // Opens say which nodes exist; commands on a node the model lacks are not
    // sent. Board 1 differs from board 0 only by its PCI locations.
    void eachBoardNumberHasItsModel()
    {
        Events events = cleanSession();
        for (Event &event : events)
            event.node = "mil1553dev-1-ch-0";
        const std::size_t location = indexOf(events, GET_PCI_LOCATION) + 1;
        QCOMPARE(checked(events, 2).differences,
                 std::vector<std::string>{"event " + std::to_string(location) +
                                          ", mil1553dev-1-ch-0, IOCTL_GET_PCI_LOCATION: name "
                                          "\"0000:03:00.0\" recorded, \"0000:04:00.0\" by the model"});
        const check::CheckReport report = checked(events, 1);
        QCOMPARE(report.differences,
                 std::vector<std::string>{"event 1, mil1553dev-1-ch-0, open: opened recorded, no "
                                          "such node on the model (--boards 1)"});
        QCOMPARE(report.commands, std::size_t{0});
    }
};

QTEST_APPLESS_MAIN(CheckRecordingTest)
#include "check_recording_test.moc"
