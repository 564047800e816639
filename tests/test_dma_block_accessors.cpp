// Decoding of one 128-byte DMA block in both layouts, from the bit tables of the block format.
#include "velkor_library.h"

#include <QtTest>

#include <array>
#include <cstring>

namespace {

std::array<unsigned char, 128> blockWithWord0(uint32_t word0)
{
    std::array<unsigned char, 128> block{};
    std::memcpy(block.data(), &word0, sizeof word0);
    return block;
}

const unsigned int T = 0xFFFFFFFF;

} // namespace

class DmaBlockAccessors : public QObject
{
    Q_OBJECT

private slots:
    void decodesWord0_data()
    {
        QTest::addColumn<uint>("word0");
        QTest::addColumn<uint>("layout");
        QTest::addColumn<uint>("success");
        QTest::addColumn<uint>("type");
        QTest::addColumn<uint>("dataWords");
        QTest::addColumn<uint>("serviceWords");
        QTest::addColumn<uint>("busB");

        QTest::newRow("bit 28, controller: success, type 0") << 0x10000000u << 0u << T << 0u << 0u << 0u << 0u;
        QTest::newRow("bit 28, terminal: success, type 2") << 0x10000000u << 1u << T << 2u << 0u << 0u << 0u;
        QTest::newRow("bit 26, terminal: error") << 0x04000000u << 1u << 0u << 0u << 0u << 0u << 0u;
        QTest::newRow("bit 26, controller: error") << 0x04000000u << 0u << 0u << 0u << 0u << 0u << 0u;
        QTest::newRow("bits 31+15, controller: bus B") << 0x80008000u << 0u << 0u << 0u << 0u << 0u << T;
        QTest::newRow("bits 31+15, terminal: bus B") << 0x80008000u << 1u << T << 0u << 0u << 0u << T;
        QTest::newRow("bit 15, controller: bus B") << 0x00008000u << 0u << 0u << 0u << 0u << 0u << T;
        QTest::newRow("bit 15, terminal: bus A") << 0x00008000u << 1u << T << 0u << 0u << 0u << 0u;
        QTest::newRow("bit 31, controller: bus A") << 0x80000000u << 0u << 0u << 0u << 0u << 0u << 0u;
        QTest::newRow("bit 31, terminal: bus B") << 0x80000000u << 1u << T << 0u << 0u << 0u << T;
        QTest::newRow("bits 1-4 and 10, controller") << 0x0000041Eu << 0u << 0u << 15u << 32u << 0u << 0u;
        QTest::newRow("all service bits") << 0x00007800u << 0u << 0u << 0u << 0u << 15u << 0u;
        QTest::newRow("full data count 63") << 0x000007E0u << 1u << T << 0u << 63u << 0u << 0u;
        QTest::newRow("layout 2 is terminal") << 0x78000000u << 2u << T << 15u << 0u << 0u << 0u;
        QTest::newRow("layout all-ones is terminal") << 0x0C000000u << T << 0u << 1u << 0u << 0u << 0u;
    }

    void decodesWord0()
    {
        QFETCH(uint, word0);
        QFETCH(uint, layout);
        auto block = blockWithWord0(word0);
        QTEST(velkor_dmaBlock_isSuccessTransaction(layout, block.data()), "success");
        QTEST(velkor_dmaBlock_getTypeTransaction(layout, block.data()), "type");
        QTEST(velkor_dmaBlock_getCountDataWords16(layout, block.data()), "dataWords");
        QTEST(velkor_dmaBlock_getCountServiceWords16(layout, block.data()), "serviceWords");
        QTEST(velkor_dmaBlock_getActiveBus(layout, block.data()), "busB");
    }

    void terminalSubaddressIsLowFiveBits()
    {
        auto block = blockWithWord0(0x0000041Eu);
        QCOMPARE(velkor_dmaBlock_tdModeSubaddress(block.data()), 30u);
        block = blockWithWord0(0xFFFFFFFFu);
        QCOMPARE(velkor_dmaBlock_tdModeSubaddress(block.data()), 31u);
    }

    void freeTimerComesFromWord1OrWord4()
    {
        auto block = blockWithWord0(0);
        const uint32_t controllerTimer = 0x89ABCDEF, terminalTimer = 0xFFFFFFFF;
        std::memcpy(block.data() + 4, &controllerTimer, 4);
        std::memcpy(block.data() + 16, &terminalTimer, 4);
        QCOMPARE(velkor_dmaBlock_getFreeTimer(0, block.data()), controllerTimer);
        QCOMPARE(velkor_dmaBlock_getFreeTimer(1, block.data()), terminalTimer);
    }

    void dataPartStartsAtByte64()
    {
        auto block = blockWithWord0(0);
        QCOMPARE(velkor_dmaBlock_getPtrDataPart(block.data()), block.data() + 64);
    }
};

QTEST_APPLESS_MAIN(DmaBlockAccessors)
#include "test_dma_block_accessors.moc"
