// The header reader and the acceptance rule, over crafted files.
#include "intake/bitmap_reader.h"
#include "support/bmp_maker.h"

#include <QTest>

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

QByteArray WithField32(QByteArray bytes, int offset, std::uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[offset + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
    return bytes;
}

const std::array<RGBQUAD, 2> Distinct{RGBQUAD{0x10, 0x20, 0x30, 0x40}, RGBQUAD{0x50, 0x60, 0x70, 0x80}};

}  // namespace

class BitmapReaderTest : public QObject {
    Q_OBJECT
private slots:
    void outcome_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<bool>("tableRead");

        BmpRecipe recipe;
        recipe.colours = Distinct;
        QTest::newRow("1-bit 122x32, 40-byte header") << MakeBmp(recipe) << Outcome::Accepted << true;
        recipe.infoSize = 124;
        QTest::newRow("1-bit 122x32, 124-byte header") << MakeBmp(recipe) << Outcome::Accepted << true;
        recipe.infoSize = 108;
        QTest::newRow("1-bit 122x32, 108-byte header") << MakeBmp(recipe) << Outcome::Accepted << true;
        recipe = BmpRecipe{};
        recipe.width = 32;
        recipe.height = 122;
        QTest::newRow("swapped 32x122") << MakeBmp(recipe) << Outcome::Rejected << true;
        recipe = BmpRecipe{};
        recipe.height = -32;
        QTest::newRow("top-down -32") << MakeBmp(recipe) << Outcome::Rejected << true;
        recipe = BmpRecipe{};
        recipe.width = 100;
        QTest::newRow("1-bit 100x32") << MakeBmp(recipe) << Outcome::Rejected << true;
        for (const std::int16_t depth : {4, 8, 24}) {
            recipe = BmpRecipe{};
            recipe.bitCount = depth;
            QTest::addRow("%d-bit 122x32", depth) << MakeBmp(recipe) << Outcome::Rejected << false;
        }
        recipe = BmpRecipe{};
        recipe.type = 0x5858;  // "XX"
        QTest::newRow("wrong signature, right fields") << MakeBmp(recipe) << Outcome::Accepted << true;
        recipe = BmpRecipe{};
        recipe.compression = 1;
        QTest::newRow("compressed body") << MakeBmp(recipe) << Outcome::Unreadable << true;
        QTest::newRow("body one byte short") << MakeBmp(BmpRecipe{}).chopped(1) << Outcome::Unreadable << true;
        QTest::newRow("pixels beyond the file")
            << WithField32(MakeBmp(BmpRecipe{}), 10, 0xFFFFFFF0u) << Outcome::Unreadable << true;
        QTest::newRow("colour table beyond the file")
            << WithField32(MakeBmp(BmpRecipe{}), 14, 0xFFFFFFFFu) << Outcome::Unreadable << false;
        QTest::newRow("empty file") << QByteArray() << Outcome::Unreadable << false;
        QTest::newRow("53 bytes") << MakeBmp(BmpRecipe{}).left(53) << Outcome::Unreadable << false;
        QTest::newRow("headers only, 24-bit") << [] {
            BmpRecipe deep;
            deep.bitCount = 24;
            return MakeBmp(deep).left(54);
        }() << Outcome::Rejected << false;
    }
    void outcome()
    {
        QFETCH(QByteArray, file);
        QFETCH(Outcome, outcome);
        QFETCH(bool, tableRead);
        const PictureRead read = Read(file);
        QCOMPARE(read.outcome, outcome);
        QCOMPARE(read.hasColourTable, tableRead);
        QCOMPARE(read.problem.empty(), outcome != Outcome::Unreadable);
    }

    void fieldsDecodedLittleEndian()
    {
        BmpRecipe recipe;
        recipe.colours = Distinct;
        const PictureRead read = Read(MakeBmp(recipe));
        QCOMPARE(read.fileHeader.bfType, std::uint16_t{0x4D42});
        QCOMPARE(read.fileHeader.bfOffBits, std::uint32_t{62});
        QCOMPARE(read.fileHeader.bfSize, std::uint32_t{62 + 16 * 32});
        QCOMPARE(read.infoHeader.biSize, std::uint32_t{40});
        QCOMPARE(read.infoHeader.biWidth, 122);
        QCOMPARE(read.infoHeader.biHeight, 32);
        QCOMPARE(read.infoHeader.biPlanes, std::uint16_t{1});
        QCOMPARE(std::int32_t{read.infoHeader.biBitCount}, 1);
        QCOMPARE(read.infoHeader.biXPelsPerMeter, std::uint32_t{2835});
        QCOMPARE(read.colourTable[0].rgbBlue, std::uint8_t{0x10});
        QCOMPARE(read.colourTable[0].rgbReserved, std::uint8_t{0x40});
        QCOMPARE(read.colourTable[1].rgbRed, std::uint8_t{0x70});
        QCOMPARE(ColourOf(read.colourTable[1]), 0x70 + 256 * 0x60 + 65536 * 0x50);
    }

    void colourTableFollowsLargerHeader()
    {
        // Behind a 124-byte header the table is at 138, not 54: there the old
        // reading would have found header bytes.
        BmpRecipe recipe;
        recipe.infoSize = 124;
        recipe.colours = Distinct;
        const QByteArray file = MakeBmp(recipe);
        const PictureRead read = Read(file);
        QCOMPARE(ColourOf(read.colourTable[0]), ColourOf(Distinct[0]));
        QCOMPARE(ColourOf(read.colourTable[1]), ColourOf(Distinct[1]));
        QCOMPARE(static_cast<std::uint8_t>(file[138]), std::uint8_t{0x10});
    }

    void negativeBitCountIsSigned()
    {
        QByteArray file = MakeBmp(BmpRecipe{});
        file[28] = static_cast<char>(0xFF);
        file[29] = static_cast<char>(0xFF);
        const PictureRead read = Read(file);
        QCOMPARE(std::int32_t{read.infoHeader.biBitCount}, -1);
        QCOMPARE(read.outcome, Outcome::Rejected);
    }

    void pixelsTopRowFirst()
    {
        // Distinct marks in the corners tell rows and bit order apart.
        BmpRecipe recipe;
        recipe.index = [](int x, int y) {
            return (x == 0 && y == 0) || (x == 121 && y == 0) || (x == 9 && y == 31) ? 1 : 0;
        };
        recipe.colours = Distinct;
        const PictureRead read = Read(MakeBmp(recipe));
        QCOMPARE(read.outcome, Outcome::Accepted);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 122; ++x)
                QCOMPARE(read.picture.IndexAt(x, y), recipe.index(x, y));
        }
        QCOMPARE(read.picture.Pixel(0, 0), ColourOf(Distinct[1]));
        QCOMPARE(read.picture.Pixel(1, 0), ColourOf(Distinct[0]));
    }

    void everyShortLengthUnreadable()
    {
        const QByteArray whole = MakeBmp(BmpRecipe{});
        for (int length = 0; length < 62; ++length) {
            const PictureRead read = Read(whole.left(length));
            QVERIFY2(read.outcome == Outcome::Unreadable, qPrintable(QString::number(length)));
        }
    }

    void rejectionPrompt()
    {
        QCOMPARE(QString::fromStdString(SizeErrorPrompt()),
                 QStringLiteral("Picture Resolution is limit to 122 x 32 pixels (Width x Height) and \r\n"
                                "2 Colors Bitmap."));
    }
};

QTEST_GUILESS_MAIN(BitmapReaderTest)
#include "tst_bitmap_reader.moc"
