// Reading back listings that are not what the writer made: cut lines of
// every length, 10 MB files, binary garbage. Nothing may land off the display,
// be painted twice or take long.
#include "app/path_text.h"
#include "convert/geometry.h"
#include "preview/listing_reader.h"
#include "support/dot_canvas.h"

#include <QElapsedTimer>
#include <QTest>

#include <ctime>

#include <functional>
#include <random>

using namespace quillon;
using namespace quillon::test;

namespace {

constexpr RgbValue Green = Rgb(0, 128, 0);
constexpr RgbValue Black = Rgb(0, 0, 0);


struct Shown {
    DotCanvas canvas;
    DrawPosition position;
    ScanState state = DisplayScanState();
    qint64 milliseconds = 0;
};

Shown Show(const QByteArray& listing)
{
    Shown shown;
    // Processor time of this thread, not wall time: other work on a busy
    // machine must not fail the test.
    const auto cpu = [] {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
    };
    const qint64 start = cpu();
    ReadListingText(std::string_view(listing.constData(), static_cast<std::size_t>(listing.size())), shown.state,
                    shown.position, shown.canvas);
    shown.milliseconds = cpu() - start;
    return shown;
}

// Every dot on the display, painted once, in one of the two colours.
bool WellPlaced(const DotCanvas& canvas, QString& why)
{
    if (canvas.painted != static_cast<int>(canvas.dots.size())) {
        why = QStringLiteral("%1 dots painted on %2 places").arg(canvas.painted).arg(canvas.dots.size());
        return false;
    }
    for (const auto& [place, colour] : canvas.dots) {
        const auto [x, y] = place;
        if (x < 0 || x >= 122 || y < 0 || y >= 32 || (colour != Green && colour != Black)) {
            why = QStringLiteral("dot (%1, %2) in colour %3").arg(x).arg(y).arg(colour);
            return false;
        }
    }
    return true;
}

// A listing line with ten items, 51 characters.
const QByteArray ItemLine = "        DB 01H,80H,FFH,00H,A5H,3CH,7EH,C3H,5AH,0FH;";
const int ItemBytes[] = {0x01, 0x80, 0xFF, 0x00, 0xA5, 0x3C, 0x7E, 0xC3, 0x5A, 0x0F};

// A 10 MB listing reads in about a tenth of a second in an ordinary build; the
// bound leaves ten times that. Sanitizers slow the reading down some 20 times.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 TimeBound = 15000;
#else
constexpr qint64 TimeBound = 1000;
#endif

QByteArray Repeated(const QByteArray& piece, qsizetype size)
{
    return piece.repeated(size / piece.size() + 1).left(size);
}

}  // namespace

class HostileListingsTest : public QObject {
    Q_OBJECT
private slots:
    // One line cut to every length from 0 to 50, then a line of one byte FFH.
    // The cut line paints the items whose two digits it still holds in full;
    // the next line goes on at the column after them.
    void lineLengths_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("columns");    // painted by the cut line
        QTest::addColumn<QString>("bytes");  // "items": ItemBytes in turn; "11": 0x11 each
        for (int length = 0; length <= 50; ++length) {
            // Item k's digits are characters 11 + 4k and 12 + 4k; the last two
            // characters of a line are cut off unread.
            const int whole = length < 15 ? 0 : (length - 15) / 4 + 1;
            QTest::addRow("listing line cut to %d", length) << ItemLine.left(length) << whole << "items";
            // Each "1" is four binary digits: two make one byte, 0x11.
            const int ones = length < 13 ? 0 : (length - 13) / 2;
            QTest::addRow("%d ones", length) << QByteArray(length, '1') << ones << "11";
            QTest::addRow("%d characters of H,H,", length) << Repeated("H,", length) << 0 << "";
            QTest::addRow("%d characters of h,", length) << Repeated("h,", length) << 0 << "";
        }
    }
    void lineLengths()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, columns);
        QFETCH(QString, bytes);
        for (const QByteArray& end : QByteArrayList{"\r\n", "\n", "\r"}) {
            const Shown shown = Show(line + end + "        DB FFH;" + end);
            QString why;
            QVERIFY2(WellPlaced(shown.canvas, why), qPrintable(why));
            QCOMPARE(shown.canvas.painted, 8 * (columns + 1));
            for (int x = 0; x <= columns; ++x) {
                const int byte = x == columns ? 0xFF : bytes == "items" ? ItemBytes[x] : 0x11;
                for (int row = 0; row < 8; ++row)
                    QCOMPARE(shown.canvas.At(x, row), (byte >> row) & 1 ? Black : Green);
            }
            QCOMPARE(shown.canvas.At(columns + 1, 0), -1);
        }
    }

    // 10 MB listings of many kinds, each read in a generous bound of time.
    void tenMegabytes_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<int>("painted");
        QTest::addColumn<bool>("complete");  // the walk reaches the end of the display
        constexpr qsizetype Size = 10 * 1024 * 1024;
        QTest::newRow("listing lines") << Repeated("        DB FFH,00H,FFH,00H,FFH,00H,FFH,00H;\r\n", Size) << 3904
                                       << true;
        QTest::newRow("one line of items, no line end") << "        DB " + Repeated("3CH,", Size) << 3904 << true;
        QTest::newRow("one line of H,") << "        DB " + Repeated("H,", Size) + "H;" << 0 << false;
        QTest::newRow("one line of NUL bytes") << QByteArray(Size, '\0') << 0 << true;
        QTest::newRow("one line of ones") << QByteArray(Size, '1') << 3904 << true;
        QTest::newRow("empty lines, CR LF") << Repeated("\r\n", Size) << 0 << false;
        QTest::newRow("empty lines, CR") << QByteArray(Size, '\r') << 0 << false;
        QTest::newRow("lines of 12 characters") << Repeated("        DB 1\r\n", Size) << 0 << false;
        QTest::newRow("lines of half a byte") << Repeated("        DB 0H;\n", Size) << 0 << false;
        // A digit and three other characters: 7 characters decoded, less than a byte.
        QTest::newRow("lines of 7 decoded characters") << Repeated("        DB 1xxx;;\r", Size) << 0 << false;
    }
    void tenMegabytes()
    {
        QFETCH(QByteArray, listing);
        QFETCH(int, painted);
        QFETCH(bool, complete);
        const Shown shown = Show(listing);
        QVERIFY2(shown.milliseconds < TimeBound, qPrintable(QStringLiteral("%1 ms").arg(shown.milliseconds)));
        QString why;
        QVERIFY2(WellPlaced(shown.canvas, why), qPrintable(why));
        QCOMPARE(shown.canvas.painted, painted);
        QCOMPARE(WalkComplete(shown.state, shown.position), complete);
    }

    // Random bytes, some with many line ends: whatever is painted is on the
    // display, once, and the walk stops at its end.
    void binaryGarbage_data()
    {
        QTest::addColumn<QByteArray>("listing");
        for (const unsigned seed : {1u, 2u, 3u}) {
            for (const qsizetype size : {qsizetype{100}, qsizetype{5000}, qsizetype{1 << 20}}) {
                std::mt19937 generator(seed);
                QByteArray bytes(size, '\0');
                for (char& byte : bytes)
                    byte = static_cast<char>(generator());
                QTest::addRow("seed %u, %lld bytes", seed, static_cast<long long>(size)) << bytes;
                // Only hex digits, H, comma and line ends: more of it decodes.
                static constexpr char Alphabet[] = "0123456789ABCDEFabcdefH,H,\r\n        DB ";
                for (char& byte : bytes)
                    byte = Alphabet[generator() % (sizeof(Alphabet) - 1)];
                QTest::addRow("seed %u, %lld listing-like bytes", seed, static_cast<long long>(size)) << bytes;
            }
        }
    }
    void binaryGarbage()
    {
        QFETCH(QByteArray, listing);
        const Shown shown = Show(listing);
        QString why;
        QVERIFY2(WellPlaced(shown.canvas, why), qPrintable(why));
        QVERIFY(shown.canvas.painted <= 3904);
        QVERIFY(shown.position.DrawBlock >= 1 && shown.position.DrawBlock <= 3);
        // Reading it again paints the same dots.
        QCOMPARE(Show(listing).canvas.dots, shown.canvas.dots);
    }
};

QTEST_GUILESS_MAIN(HostileListingsTest)
#include "tst_hostile_listings.moc"
