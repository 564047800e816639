// A session recorded on a model with one of velkor-sim's faults, checked
// against a clean model, shows that fault's differences and no others; the
// session recorded clean shows none.
#include "check_recording.h"
#include "fault_names.h"
#include "model_session.h"

#include <QtTest>

using namespace velkor_sim;
using namespace model_session;

namespace {

std::vector<Event> recordedWith(const std::string &fault)
{
    Session session;
    if (!fault.empty())
        applyFault(session.board, parseFault(fault));
    return session.driverTestAndTerminal();
}

// The differences without their event numbers, which say nothing about the fault.
QStringList differencesOf(const std::vector<Event> &events)
{
    QStringList found;
    for (const std::string &line : check::checkRecording(events, {1, nullptr}).differences)
        found.append(QString::fromStdString(line).section(", ", 1));
    return found;
}

const QString kNode = "mil1553dev-0-ch-0, ";

} // namespace

class CheckFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void eachFaultShowsItsOwnDifferences()
    {
        const QString eio = "result -1 errno 5 (EIO) recorded, 0 by the model";
        const QString shortRead = kNode + "IOCTL_READ_DMA_BLOCKS: countBlocks 2 delivered, fewer "
                                          "than the 1000 ready by the count before";
        const QString noNumber = kNode + "IOCTL_GET_NUMBER_CHANNEL: " + eio;
        for (const auto &[fault, expected] : {
                 std::pair<std::string, QStringList>{"", {}},
                 {"fail=IOCTL_GET_VERSION_INFO", {kNode + "IOCTL_GET_VERSION_INFO: " + eio}},
                 {"no-channel-number", {noNumber, noNumber}},
                 {"overreport=3",
                  {kNode + "IOCTL_READ_DMA_BLOCKS: countBlocks 5 delivered, more than the 2 asked for"}},
                 {"dma-count=1000", {shortRead, shortRead}},
             }) {
            QCOMPARE(differencesOf(recordedWith(fault)), expected);
        }
    }
};

QTEST_APPLESS_MAIN(CheckFaultsTest)
#include "check_faults_test.moc"
