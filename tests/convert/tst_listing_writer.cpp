// The page geometry and the listing writer, without windows.
#include "app/path_text.h"
#include "convert/geometry.h"
#include "formats/listing_writer.h"
#include "files/replace_file.h"
#include "support/bmp_maker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <set>

using namespace quillon;
using namespace quillon::test;

namespace {

constexpr RgbValue Lit = Rgb(1, 2, 3);
constexpr RgbValue Dark = Rgb(250, 250, 250);


QByteArray Write(const std::function<bool(int, int)>& lit, std::vector<int>* shown = nullptr)
{
    ScanState state = DisplayScanState();
    const std::string text = WriteListing(
        state, Lit, [&](int x, int y) { return lit(x, y) ? Lit : Dark; },
        [&](int percent) {
            if (shown)
                shown->push_back(percent);
        });
    return QByteArray::fromStdString(text);
}

QByteArrayList Lines(const QByteArray& listing)
{
    QByteArrayList lines = listing.split('\n');
    lines.removeLast();  // after the final line end
    for (QByteArray& line : lines)
        line.chop(1);  // its CR
    return lines;
}

}  // namespace

class ListingWriterTest : public QObject {
    Q_OBJECT
private slots:
    void counts_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("blocks");
        QTest::newRow("accepted size") << 122 << 32 << 4 << 2;
        QTest::newRow("fractions round up") << 123 << 33 << 5 << 3;
        QTest::newRow("one column and row") << 1 << 1 << 1 << 1;
    }
    void counts()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        ScanState state;
        state.InfoHeader.biWidth = width;
        state.InfoHeader.biHeight = height;
        CountPagesAndBlocks(state);
        QTEST(state.PageCount, "pages");
        QTEST(std::int32_t{state.BlockCount}, "blocks");
    }

    // A single lit pixel lands in one item of one line, as one bit.
    void onePixel_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("line");  // from 1, the empty line 32 counted
        QTest::addColumn<int>("item");  // from 1
        QTest::addColumn<QByteArray>("digits");
        QTest::newRow("(0,0) bit 0 of byte 0") << 0 << 0 << 1 << 1 << QByteArray("01");
        QTest::newRow("(0,7) bit 7 of byte 0") << 0 << 7 << 1 << 1 << QByteArray("80");
        QTest::newRow("(0,8) byte 61, page 2") << 0 << 8 << 8 << 6 << QByteArray("01");
        QTest::newRow("(60,31) byte 243, last of block 1") << 60 << 31 << 31 << 4 << QByteArray("80");
        QTest::newRow("(61,0) first byte of block 2") << 61 << 0 << 33 << 1 << QByteArray("01");
        QTest::newRow("(121,31) last byte") << 121 << 31 << 63 << 4 << QByteArray("80");
        QTest::newRow("(70,13) bit 5 of byte 70 of block 2") << 70 << 13 << 41 << 7 << QByteArray("20");
    }
    void onePixel()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, line);
        QFETCH(int, item);
        QFETCH(QByteArray, digits);
        const QByteArrayList lines = Lines(Write([&](int px, int py) { return px == x && py == y; }));
        QCOMPARE(lines.size(), 63);
        for (int k = 0; k < lines.size(); ++k) {
            if (k == 31)
                continue;
            const QByteArrayList items = lines[k].mid(11).chopped(1).split(',');
            for (int i = 0; i < items.size(); ++i) {
                const bool here = k + 1 == line && i + 1 == item;
                QCOMPARE(items[i], here ? digits + "H" : QByteArray("00H"));
            }
        }
        if (x == 70 && y == 13)
            QCOMPARE(lines[40], QByteArray("        DB 00H,00H,00H,00H,00H,00H,20H,00H;"));
    }

    void shape_data()
    {
        QTest::addColumn<bool>("allLit");
        QTest::newRow("every pixel lit") << true;
        QTest::newRow("no pixel lit") << false;
    }
    void shape()
    {
        QFETCH(bool, allLit);
        const QByteArray listing = Write([&](int, int) { return allLit; });
        QCOMPARE(listing.size(), 2760);
        QVERIFY(listing.endsWith("H;\r\n"));
        QCOMPARE(listing.count("\r\n"), 63);
        QCOMPARE(listing.count('\n'), 63);  // no bare line feeds
        const QByteArray full =
            allLit ? "        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,FFH;" : "        DB 00H,00H,00H,00H,00H,00H,00H,00H;";
        const QByteArray rest = allLit ? "        DB FFH,FFH,FFH,FFH;" : "        DB 00H,00H,00H,00H;";
        const QByteArrayList lines = Lines(listing);
        for (int k = 0; k < 63; ++k) {
            const int number = k + 1;
            const QByteArray expected = number == 32 ? QByteArray() : (number == 31 || number == 63) ? rest : full;
            QCOMPARE(lines[k], expected);
        }
    }

    void rowZeroSpansPages()
    {
        const QByteArrayList lines = Lines(Write([](int, int y) { return y == 0; }));
        for (const int block : {0, 32}) {
            for (int k = 0; k < 7; ++k)
                QCOMPARE(lines[block + k], QByteArray("        DB 01H,01H,01H,01H,01H,01H,01H,01H;"));
            QCOMPARE(lines[block + 7], QByteArray("        DB 01H,01H,01H,01H,01H,00H,00H,00H;"));
            QCOMPARE(lines[block + 8], QByteArray("        DB 00H,00H,00H,00H,00H,00H,00H,00H;"));
        }
    }

    void matchesByteOrderOverRandomPictures()
    {
        for (unsigned seed = 1; seed <= 5; ++seed) {
            const BmpRecipe recipe = RandomPicture(seed);
            const auto lit = [&](int x, int y) { return recipe.index(x, y) == 1; };
            QCOMPARE(Write(lit), ExpectedListing(lit));
        }
    }

    void onlyExactColourIsLit()
    {
        ScanState state = DisplayScanState();
        const std::string text =
            WriteListing(state, Lit, [](int x, int) { return x == 0   ? Lit
                                                             : x == 1 ? Lit + 1
                                                                      : Lit - 65536; }, {});
        QVERIFY(QByteArray::fromStdString(text).startsWith("        DB FFH,00H,00H,"));
    }

    void scanWindowLeftOnLastBlockAndPage()
    {
        ScanState state = DisplayScanState();
        WriteListing(state, Lit, [](int, int) { return Dark; }, {});
        QCOMPARE(state.ColStart, 61);
        QCOMPARE(std::int32_t{state.ColEnd}, 121);
        QCOMPARE(state.RowStart, 24);
        QCOMPARE(std::int32_t{state.RowEnd}, 31);
    }

    void progressCountsEachPercentOnce()
    {
        std::vector<int> shown;
        Write([](int, int) { return false; }, &shown);
        QCOMPARE(shown.size(), std::size_t{100});
        for (int k = 0; k < 100; ++k)
            QCOMPARE(shown[static_cast<std::size_t>(k)], k + 1);
    }

    void progressCountsAtPixels()
    {
        // Which pixel counts each caption appears at: every 39th, up to 3900.
        ScanState state = DisplayScanState();
        int pixels = 0;
        std::vector<int> at;
        WriteListing(
            state, Lit,
            [&](int, int) {
                ++pixels;
                return Dark;
            },
            [&](int) { at.push_back(pixels); });
        QCOMPARE(at.front(), 39);
        QCOMPARE(at[1], 78);
        QCOMPARE(at.back(), 3900);
        QCOMPARE(pixels, 3904);
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("whole");
        QTest::newRow("39.04") << 39.04 << qint64{39};
        QTest::newRow("38.5 to even") << 38.5 << qint64{38};
        QTest::newRow("39.5 to even") << 39.5 << qint64{40};
        QTest::newRow("0.5 to even") << 0.5 << qint64{0};
        QTest::newRow("0.51") << 0.51 << qint64{1};
        QTest::newRow("2.49") << 2.49 << qint64{2};
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(qint64, whole);
        QCOMPARE(qint64{RoundHalfEven(value)}, whole);
    }

    void tinyPictureHasNoProgressStep()
    {
        ScanState state;
        state.InfoHeader.biWidth = 5;
        state.InfoHeader.biHeight = 8;
        CountPagesAndBlocks(state);
        int shown = 0;
        const std::string text = WriteListing(
            state, Lit, [](int, int) { return Lit; }, [&](int) { ++shown; });
        QCOMPARE(shown, 0);  // 40 pixels: the step rounds to 0 and never counts
        // The walk covers one block's first page, 61 columns: the display's
        // first 61 bytes; the listing is the display's whole.
        const QByteArrayList lines = Lines(QByteArray::fromStdString(text));
        QCOMPARE(lines.size(), 63);
        QCOMPARE(lines[6], QByteArray("        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,FFH;"));
        QCOMPARE(lines[7], QByteArray("        DB FFH,FFH,FFH,FFH,FFH,00H,00H,00H;"));
    }

    void saveReplacesWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("lcd_a.txt");
        QVERIFY(WriteFile(path, QByteArray(5000, 'x')));
        QVERIFY(files::ReplaceFile(FilePath(path), "short\r\n", files::Place::Derived).Ok());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("short\r\n"));
    }

    void failedSaveKeepsEarlierListing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("name longer than the file system takes") << QString(300, QLatin1Char('n'));
        QTest::newRow("in a folder that is not there") << QStringLiteral("gone/lcd_a.txt");
        QTest::newRow("a folder of that name") << QStringLiteral("taken");
    }
    void failedSaveKeepsEarlierListing()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("taken"));
        const QString keep = dir.filePath("lcd_keep.txt");
        QVERIFY(WriteFile(keep, "earlier\r\n"));
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QVERIFY(!files::ReplaceFile(FilePath(dir.filePath(name)), "new\r\n", files::Place::Derived).Ok());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
        QFile file(keep);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("earlier\r\n"));
    }
};

QTEST_GUILESS_MAIN(ListingWriterTest)
#include "tst_listing_writer.moc"
