// The guarded 16-bit field and the colour values.
#include "app/shared_state.h"
#include "convert/geometry.h"

#include <QTest>

using namespace quillon;

class SharedStateTest : public QObject {
    Q_OBJECT
private slots:
    void guard_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<bool>("refused");
        QTest::newRow("largest") << qint64{32767} << false;
        QTest::newRow("one above") << qint64{32768} << true;
        QTest::newRow("smallest") << qint64{-32768} << false;
        QTest::newRow("one below") << qint64{-32769} << true;
        QTest::newRow("zero") << qint64{0} << false;
        QTest::newRow("one") << qint64{1} << false;
        QTest::newRow("2^31") << qint64{2147483648LL} << true;
    }
    void guard()
    {
        QFETCH(qint64, value);
        QFETCH(bool, refused);
        if (refused) {
            QVERIFY_THROWS_EXCEPTION(std::overflow_error, Int16{value});
        } else {
            QCOMPARE(std::int32_t{Int16{value}}, static_cast<std::int32_t>(value));
        }
    }

    void arithmeticIsGuardedOnStore()
    {
        Int16 field = 32767;
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, field = field + 1);
        QCOMPARE(std::int32_t{field}, 32767);  // a refused store leaves the field as it was
    }

    void blockCountOverflowRefused()
    {
        SharedState state;
        state.InfoHeader.biWidth = 61 * 40000;  // 40000 blocks do not fit 16 bits
        state.InfoHeader.biHeight = 8;
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, CountPagesAndBlocks(state));
    }

    void freshState()
    {
        const SharedState state;
        QCOMPARE(state.PageCount, 0);
        QCOMPARE(std::int32_t{state.BlockCount}, 0);
        QVERIFY(state.OutputPath.empty());
        QCOMPARE(state.InfoHeader.biWidth, 0);
    }

    void colourValue()
    {
        QCOMPARE(ColourOf(RGBQUAD{0, 0, 255, 0}), 255);
        QCOMPARE(ColourOf(RGBQUAD{0, 255, 0, 0}), 255 * 256);
        QCOMPARE(ColourOf(RGBQUAD{255, 0, 0, 9}), 255 * 65536);  // rgbReserved plays no part
        QCOMPARE(Rgb(0, 128, 0), 32768);
    }
};

QTEST_MAIN(SharedStateTest)
#include "tst_shared_state.moc"
