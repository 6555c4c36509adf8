// The header reader over files made to hurt it: cut short, fields at their
// extremes, tables and pixels pointed past the end.
#include "intake/bitmap_reader.h"
#include "support/bmp_maker.h"
#include "support/files.h"

#include <QTest>

#include <climits>

using namespace quillon;
using namespace quillon::test;
using Outcome = PictureRead::Outcome;

Q_DECLARE_METATYPE(Outcome)

namespace {

PictureRead Read(const QByteArray& bytes)
{
    return ReadPicture(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
}



// Offsets of the fields these tests change.
constexpr int OffBitsAt = 10;
constexpr int InfoSizeAt = 14;
constexpr int WidthAt = 18;
constexpr int HeightAt = 22;
constexpr int BitCountAt = 28;
constexpr int CompressionAt = 30;

QByteArray Good()
{
    BmpRecipe recipe;
    recipe.colours = {RGBQUAD{0x11, 0x22, 0x33, 0}, RGBQUAD{0x44, 0x55, 0x66, 0}};
    recipe.index = [](int x, int y) { return (x * 3 + y) % 7 == 0 ? 1 : 0; };
    return MakeBmp(recipe);
}

}  // namespace

class HostilePicturesTest : public QObject {
    Q_OBJECT
private slots:
    // A file cut off at every length up to the end of the colour table (an
    // accepted picture cut short is covered in tst_bitmap_reader). Which outcome
    // a cut gives depends on what it still holds: a 1-bit picture of the wrong
    // size needs its table to be turned away, a deeper one only its headers.
    void truncated_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Outcome>("outcome");
        BmpRecipe narrow;
        narrow.width = 100;
        const QByteArray wrongSize = MakeBmp(narrow);
        BmpRecipe deep;
        deep.bitCount = 24;
        const QByteArray deepFile = MakeBmp(deep);
        for (int length = 0; length <= 61; ++length) {
            QTest::addRow("100 x 32 picture cut to %d bytes", length) << wrongSize.left(length) << Outcome::Unreadable;
            QTest::addRow("24-bit picture cut to %d bytes", length)
                << deepFile.left(length) << (length < 54 ? Outcome::Unreadable : Outcome::Rejected);
        }
        QTest::newRow("100 x 32 picture, headers and table only") << wrongSize.left(62) << Outcome::Rejected;
    }
    void truncated()
    {
        QFETCH(QByteArray, file);
        QFETCH(Outcome, outcome);
        const PictureRead read = Read(file);
        QCOMPARE(read.outcome, outcome);
        QCOMPARE(read.problem.empty(), outcome != Outcome::Unreadable);
        QVERIFY(read.picture.index.empty());
    }

    // Width, height and bit count at the ends of their ranges are turned away
    // with the size message, never read as pixels.
    void extremes_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<bool>("tableRead");
        const struct {
            const char* name;
            int offset;
            int bytes;
        } fields[] = {{"width", WidthAt, 4}, {"height", HeightAt, 4}, {"bit count", BitCountAt, 2}};
        for (const auto& field : fields) {
            const qint64 low = field.bytes == 4 ? qint64{INT32_MIN} : qint64{INT16_MIN};
            const qint64 high = field.bytes == 4 ? qint64{INT32_MAX} : qint64{INT16_MAX};
            // Only the bit count decides whether the colour table is read.
            const bool keepsTable = field.offset != BitCountAt;
            for (const qint64 value : {low, low + 1, qint64{-1}, qint64{0}, high})
                QTest::addRow("%s %lld", field.name, value) << field.offset << field.bytes << value << keepsTable;
        }
        QTest::newRow("bit count 2") << BitCountAt << 2 << qint64{2} << false;
        QTest::newRow("width 122 + 2^16") << WidthAt << 4 << qint64{122 + 65536} << true;
        QTest::newRow("height 32 + 2^31") << HeightAt << 4 << qint64{32} + (qint64{1} << 31) << true;
    }
    void extremes()
    {
        QFETCH(int, offset);
        QFETCH(int, bytes);
        QFETCH(qint64, value);
        QFETCH(bool, tableRead);
        for (const int length : {54 + 8, 574}) {  // headers and table only; the whole file
            QByteArray file = Good().left(length);
            file = bytes == 4 ? With32(file, offset, static_cast<std::uint32_t>(value))
                              : With16(file, offset, static_cast<std::uint16_t>(value));
            const PictureRead read = Read(file);
            QCOMPARE(read.outcome, Outcome::Rejected);
            QCOMPARE(read.hasColourTable, tableRead);
            QVERIFY(!IsAcceptable(read.infoHeader));
            QVERIFY(read.picture.index.empty());
        }
    }

    // The colour table is taken from behind the info header, whatever size it
    // claims; from beyond the file it cannot be taken at all.
    void infoSize_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("tableAt");  // -1: no table read
        const QByteArray good = Good();
        for (const std::uint32_t size : {0u, 12u, 39u})
            QTest::addRow("biSize %u", size)
                << With32(good, InfoSizeAt, size) << Outcome::Accepted << 14 + static_cast<int>(size);
        QTest::newRow("biSize 2^32 - 1") << With32(good, InfoSizeAt, 0xFFFFFFFFu) << Outcome::Unreadable << -1;
        QTest::newRow("biSize 2^31") << With32(good, InfoSizeAt, 0x80000000u) << Outcome::Unreadable << -1;
        // 574 bytes: the table's 8 bytes end exactly at the end of the file, or one past it.
        QTest::newRow("table ends at the end of the file")
            << With32(good, InfoSizeAt, 574 - 14 - 8) << Outcome::Accepted << 574 - 8;
        QTest::newRow("table one byte beyond the file")
            << With32(good, InfoSizeAt, 574 - 14 - 7) << Outcome::Unreadable << -1;
        QTest::newRow("table beyond a headers-only file")
            << With32(good.left(54), InfoSizeAt, 40) << Outcome::Unreadable << -1;
    }
    void infoSize()
    {
        QFETCH(QByteArray, file);
        QFETCH(Outcome, outcome);
        QFETCH(int, tableAt);
        const PictureRead read = Read(file);
        QCOMPARE(read.outcome, outcome);
        QCOMPARE(read.hasColourTable, tableAt >= 0);
        if (tableAt >= 0) {
            const auto byte = [&](int at) { return static_cast<std::uint8_t>(file[at]); };
            QCOMPARE(read.colourTable[0].rgbBlue, byte(tableAt));
            QCOMPARE(read.colourTable[0].rgbRed, byte(tableAt + 2));
            QCOMPARE(read.colourTable[1].rgbBlue, byte(tableAt + 4));
            QCOMPARE(read.colourTable[1].rgbReserved, byte(tableAt + 7));
        }
    }

    // Where the pixels are said to start decides whether all 32 rows are there.
    void body_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Outcome>("outcome");
        const QByteArray good = Good();
        QTest::newRow("pixels end at the end of the file") << good << Outcome::Accepted;
        QTest::newRow("pixels one byte past the end") << With32(good, OffBitsAt, 63) << Outcome::Unreadable;
        QTest::newRow("pixels start at 0") << With32(good, OffBitsAt, 0) << Outcome::Accepted;
        QTest::newRow("pixels start at the end of the file") << With32(good, OffBitsAt, 574) << Outcome::Unreadable;
        QTest::newRow("pixels start at 2^32 - 1") << With32(good, OffBitsAt, 0xFFFFFFFFu) << Outcome::Unreadable;
        QTest::newRow("pixels start at 2^32 - 512") << With32(good, OffBitsAt, 0xFFFFFE00u) << Outcome::Unreadable;
        QTest::newRow("one row missing") << good.chopped(16) << Outcome::Unreadable;
        QTest::newRow("headers and table only") << good.left(62) << Outcome::Unreadable;
        QTest::newRow("compression 2^32 - 1") << With32(good, CompressionAt, 0xFFFFFFFFu) << Outcome::Unreadable;
        QTest::newRow("larger than the picture") << good + QByteArray(100000, '\xAA') << Outcome::Accepted;
    }
    void body()
    {
        QFETCH(QByteArray, file);
        QFETCH(Outcome, outcome);
        const PictureRead read = Read(file);
        QCOMPARE(read.outcome, outcome);
        QCOMPARE(read.picture.index.size(), outcome == Outcome::Accepted ? std::size_t{122 * 32} : std::size_t{0});
    }

    // Pixels from wherever bfOffBits points: at 0 the rows are the headers'
    // own bytes, bottom row first.
    void pixelsFromOffsetZero()
    {
        const QByteArray file = With32(Good(), OffBitsAt, 0);
        const PictureRead read = Read(file);
        QCOMPARE(read.outcome, Outcome::Accepted);
        // Row 31 (stored first) starts with "BM": 0x42 = 0100 0010.
        QCOMPARE(read.picture.IndexAt(0, 31), 0);
        QCOMPARE(read.picture.IndexAt(1, 31), 1);
        QCOMPARE(read.picture.IndexAt(6, 31), 1);
        QCOMPARE(read.picture.IndexAt(7, 31), 0);
    }
};

QTEST_GUILESS_MAIN(HostilePicturesTest)
#include "tst_hostile_pictures.moc"
