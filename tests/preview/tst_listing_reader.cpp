// Reading a listing back: the line decoder, the dot walk and the whole reader.
#include "app/path_text.h"
#include "convert/geometry.h"
#include "formats/listing_writer.h"
#include "preview/listing_reader.h"
#include "support/bmp_maker.h"
#include "support/dot_canvas.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

namespace {

constexpr RgbValue Green = Rgb(0, 128, 0);
constexpr RgbValue Black = 0;

ScanState Counted()
{
    ScanState state;
    state.InfoHeader.biWidth = 122;
    state.InfoHeader.biHeight = 32;
    CountPagesAndBlocks(state);
    return state;
}

// A listing of the given bytes, 8 items a line, restarting at each block of 244.
QByteArray ListingOf(const std::vector<int>& bytes)
{
    QByteArray out;
    for (std::size_t first = 0; first < bytes.size(); first += 244) {
        if (first > 0)
            out += "\r\n";
        const std::size_t end = std::min(bytes.size(), first + 244);
        for (std::size_t line = first; line < end; line += 8) {
            QByteArrayList items;
            for (std::size_t k = line; k < std::min(end, line + 8); ++k)
                items << QByteArray::number(bytes[k], 16).toUpper().rightJustified(2, '0') + "H";
            out += "        DB " + items.join(',') + ";\r\n";
        }
    }
    return out;
}

DotCanvas Show(const QByteArray& listing, ScanState state = Counted())
{
    DotCanvas canvas;
    DrawPosition position;
    ReadListingText(std::string_view(listing.constData(), static_cast<std::size_t>(listing.size())), state, position,
                    canvas);
    return canvas;
}

}  // namespace

class ListingReaderTest : public QObject {
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("bits");
        QTest::newRow("worked example") << QByteArray("        DB 01H,80H,FFH;")
                                        << QByteArray("000000011000000011111111");
        QTest::newRow("13 characters") << QByteArray("        DB H;") << QByteArray("");
        QTest::newRow("ends in H, not H;") << QByteArray("        DB 01H,80H,") << QByteArray("0000000110000000");
        QTest::newRow("lower case") << QByteArray("        DB 0ah,F0h;") << QByteArray("0000101011110000");
        QTest::newRow("upper case") << QByteArray("        DB 0AH,F0H;") << QByteArray("0000101011110000");
        QTest::newRow("one item") << QByteArray("        DB 5AH;") << QByteArray("01011010");
        QTest::newRow("prefix not checked") << QByteArray("xxxxxxxxxxx3CH;") << QByteArray("00111100");
        QTest::newRow("non-hex characters survive") << QByteArray("        DB 0GH,Z1H;") << QByteArray("0000GZ0001");
        QTest::newRow("H, removed only once") << QByteArray("        DB HH,,1H;") << QByteArray("H,0001");
        QTest::newRow("a lone H stays") << QByteArray("        DB 1H2H;") << QByteArray("0001H0010");
    }
    void decode()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, bits);
        const auto decoded = DecodeLine(line.toStdString());
        QVERIFY(decoded.has_value());
        QCOMPARE(QByteArray::fromStdString(*decoded), bits);
    }

    void twentyItems()
    {
        QByteArray line = "        DB ";
        for (int k = 0; k < 20; ++k)
            line += "A5H,";
        line.chop(1);
        line += ";";
        const auto decoded = DecodeLine(line.toStdString());
        QCOMPARE(QByteArray::fromStdString(*decoded), QByteArray("10100101").repeated(20));
    }

    void tooShortLinesGiveNothing()
    {
        for (int length = 0; length < 13; ++length)
            QVERIFY(!DecodeLine(std::string(static_cast<std::size_t>(length), '1')).has_value());
        QVERIFY(DecodeLine(std::string(13, '1')).has_value());
    }

    // Where single bytes of a listing are painted.
    void byteLandsAt_data()
    {
        QTest::addColumn<int>("byte");  // position in the listing, from 0
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("topRow");
        QTest::newRow("first byte") << 0 << 0 << 0;
        QTest::newRow("62nd byte: page 2") << 61 << 0 << 8;
        QTest::newRow("245th byte: block 2") << 244 << 61 << 0;
        QTest::newRow("last byte") << 487 << 121 << 24;
        QTest::newRow("last byte of block 1") << 243 << 60 << 24;
        QTest::newRow("(70,13)'s byte") << 244 + 70 << 70 << 8;
    }
    void byteLandsAt()
    {
        QFETCH(int, byte);
        QFETCH(int, column);
        QFETCH(int, topRow);
        std::vector<int> bytes(488, 0);
        bytes[static_cast<std::size_t>(byte)] = 0x01 | 0x20 | 0x80;  // rows 0, 5 and 7 of the page
        const DotCanvas canvas = Show(ListingOf(bytes));
        QCOMPARE(canvas.painted, 3904);
        for (int x = 0; x < 122; ++x) {
            for (int y = 0; y < 32; ++y) {
                const int r = y - topRow;
                const bool set = x == column && (r == 0 || r == 5 || r == 7);
                QCOMPARE(canvas.At(x, y), set ? Black : Green);
            }
        }
    }

    void uniformListings_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("colour");
        QTest::newRow("all 0: green") << 0 << Green;
        QTest::newRow("all 255: black") << 255 << Black;
    }
    void uniformListings()
    {
        QFETCH(int, value);
        QFETCH(int, colour);
        const DotCanvas canvas = Show(ListingOf(std::vector<int>(488, value)));
        QCOMPARE(canvas.dots.size(), std::size_t{3904});
        for (const auto& [place, painted] : canvas.dots)
            QCOMPARE(painted, colour);
    }

    void blocksShortAndLong_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("columns");
        QTest::newRow("stops after block 1") << 244 << 61;
        QTest::newRow("third block ignored") << 732 << 122;
    }
    void blocksShortAndLong()
    {
        QFETCH(int, bytes);
        QFETCH(int, columns);
        const DotCanvas canvas = Show(ListingOf(std::vector<int>(static_cast<std::size_t>(bytes), 255)));
        QCOMPARE(canvas.dots.size(), static_cast<std::size_t>(columns * 32));
        QVERIFY(canvas.At(columns - 1, 31) == Black);
        QCOMPARE(canvas.At(columns, 0), -1);
    }

    void partialGroupsAreDropped()
    {
        // 12 characters paint one column; the next line starts at the next column.
        ScanState state = Counted();
        DrawPosition position;
        DotCanvas canvas;
        DrawBits(state, position, "100000001111", canvas);
        QCOMPARE(canvas.painted, 8);
        QCOMPARE(canvas.At(0, 7), Black);  // the group's first character: bit 7, bottom row
        QCOMPARE(canvas.At(0, 0), Green);
        QCOMPARE(position.DrawX, 1);
        DrawBits(state, position, "00000001", canvas);
        QCOMPARE(canvas.At(1, 0), Black);
    }

    void otherCharactersLeaveDotsUnpainted()
    {
        ScanState state = Counted();
        DrawPosition position;
        DotCanvas canvas;
        DrawBits(state, position, "0G0H0001", canvas);
        QCOMPARE(canvas.painted, 6);
        QCOMPARE(canvas.At(0, 4), -1);  // character 4, "H"
        QCOMPARE(canvas.At(0, 6), -1);  // character 2, "G"
        QCOMPARE(canvas.At(0, 0), Black);
        QCOMPARE(position.DrawX, 1);
    }

    void walkEndsPastLastBlock()
    {
        ScanState state = Counted();
        DrawPosition position;
        DotCanvas canvas;
        DrawBits(state, position, std::string(3904, '1'), canvas);
        QCOMPARE(position.DrawX, 122);
        QCOMPARE(std::int32_t{position.DrawRow}, 24);
        QCOMPARE(position.DrawPage, 1);
        QCOMPARE(std::int32_t{position.DrawBlock}, 3);
        QVERIFY(WalkComplete(state, position));
        DrawBits(state, position, "11111111", canvas);
        QCOMPARE(canvas.painted, 3904);
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("separator");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("CR") << QByteArray("\r");
        QTest::newRow("LF") << QByteArray("\n");
    }
    void lineEnds()
    {
        QFETCH(QByteArray, separator);
        std::vector<int> bytes(488);
        for (std::size_t k = 0; k < bytes.size(); ++k)
            bytes[k] = static_cast<int>(k * 37 % 256);
        QByteArray listing = ListingOf(bytes);
        listing.replace("\r\n", separator);
        const DotCanvas expected = Show(ListingOf(bytes));
        QCOMPARE(Show(listing).dots, expected.dots);
        listing.chop(separator.size());  // no end after the last line
        QCOMPARE(Show(listing).dots, expected.dots);
    }

    // Lines read whole from one piece must give what the same text gives fed
    // a character at a time: the same dots, place and facts of every line.
    void wholeLinesReadAsByCharacters_data()
    {
        QTest::addColumn<QByteArray>("text");
        std::vector<int> bytes(488);
        for (std::size_t k = 0; k < bytes.size(); ++k)
            bytes[k] = static_cast<int>(k * 53 % 256);
        const QByteArray listing = ListingOf(bytes);
        QTest::newRow("writer's listing") << listing;
        QTest::newRow("bare CR and LF") << QByteArray(listing).replace("\r\n", "\r").replace("\r\r", "\n\r");
        QTest::newRow("lower case, ending in H,") << QByteArray("        DB 0ah,F0h;\r\n        DB 01H,80H,\r\n");
        QTest::newRow("item not hex") << QByteArray("        DB 01H,0GH,02H;\r\n        DB 03H;\r\n");
        QTest::newRow("H; then more") << QByteArray("        DB 3CH;H;\r\n        DB 3CH,A5H\r\n");
        QTest::newRow("line end inside the last item") << QByteArray("        DB 01H,\r02H;\n        DB 5A\r\n");
        QTest::newRow("80 items, longer than a piece of bytes")
            << QByteArray("        DB " + QByteArray("A5H,").repeated(79) + "5AH;\r\n        DB 01H;\r\n");
        QTest::newRow("no end after the last line") << QByteArray("        DB 01H,02H;\r\n        DB 03H,04H;");
        // Past the last dot lines are only measured, whole ones at once.
        QTest::newRow("lines after every dot is painted")
            << listing + "        DB 0GH;\r\n\r\n        DB 3CH;H;\r\n        DB 0ah,F0h\rshort\n" + listing.left(60) +
                   "        DB A5H,5AH,\r\n        DB 01H,02H";
    }
    void wholeLinesReadAsByCharacters()
    {
        QFETCH(QByteArray, text);
        const auto read = [&](std::size_t piece, std::vector<LineFacts>& facts, DrawPosition& position) {
            ScanState state = Counted();
            DotCanvas canvas;
            ListingPainter painter(state, position, canvas);
            painter.onLine = [&](const LineFacts& line) { facts.push_back(line); };
            for (qsizetype at = 0; at < text.size(); at += static_cast<qsizetype>(piece))
                painter.Feed(std::string_view(text.constData() + at,
                                              std::min(piece, static_cast<std::size_t>(text.size() - at))));
            painter.Finish();
            return canvas.dots;
        };
        std::vector<LineFacts> wholeFacts;
        std::vector<LineFacts> charFacts;
        DrawPosition wholePosition;
        DrawPosition charPosition;
        QCOMPARE(read(static_cast<std::size_t>(text.size()), wholeFacts, wholePosition),
                 read(1, charFacts, charPosition));
        QCOMPARE(wholeFacts.size(), charFacts.size());
        for (std::size_t k = 0; k < wholeFacts.size(); ++k) {
            QCOMPARE(wholeFacts[k].number, charFacts[k].number);
            QCOMPARE(wholeFacts[k].length, charFacts[k].length);
            QCOMPARE(wholeFacts[k].bits, charFacts[k].bits);
            QCOMPARE(wholeFacts[k].foreign, charFacts[k].foreign);
        }
        QCOMPARE(wholePosition.DrawX, charPosition.DrawX);
        QCOMPARE(std::int32_t{wholePosition.DrawRow}, std::int32_t{charPosition.DrawRow});
        QCOMPARE(wholePosition.DrawPage, charPosition.DrawPage);
        QCOMPARE(std::int32_t{wholePosition.DrawBlock}, std::int32_t{charPosition.DrawBlock});
    }

    // Past the last dot a line is only measured, its characters counted by
    // kind in wide steps: its facts must be those of decoding it whole, in
    // pieces of any size (an "H" and its "," split across pieces too).
    void measuredLinesAsDecoded_data()
    {
        QTest::addColumn<int>("piece");
        for (const int piece : {1, 2, 3, 7, 4096, 1 << 20})
            QTest::addRow("pieces of %d", piece) << piece;
    }
    void measuredLinesAsDecoded()
    {
        QFETCH(int, piece);
        std::vector<int> bytes(488, 0x5A);
        QByteArrayList lines = ListingOf(bytes).split('\n');
        lines.removeLast();  // after the last line end
        const QByteArrayList odd{
            "        DB " + QByteArray("A5H,").repeated(50000) + "5AH;",
            "        DB " + QByteArray("0ah,H,G,hH,,h,,x").repeated(3000) + "H",
            "        DB " + QByteArray("01H,\t\xc3\xa9,").repeated(7000) + "FFH;",
            "        DB 1H", "        DB H,H,H,H,", "        DB ,,,,,,"};
        for (const QByteArray& line : odd)
            lines << line + "\r";
        const QByteArray text = lines.join('\n');
        ScanState state = DisplayScanState();
        DrawPosition position;
        DotCanvas canvas;
        ListingPainter painter(state, position, canvas);
        std::vector<LineFacts> facts;
        painter.onLine = [&](const LineFacts& line) { facts.push_back(line); };
        for (qsizetype at = 0; at < text.size(); at += piece)
            painter.Feed(std::string_view(text.constData() + at, std::min<qsizetype>(piece, text.size() - at)));
        painter.Finish();
        QCOMPARE(facts.size(), std::size_t(lines.size()));
        for (qsizetype k = lines.size() - odd.size(); k < lines.size(); ++k) {
            const QByteArray line = lines[k].chopped(1);
            const std::optional<std::string> decoded = DecodeLine(line.toStdString());
            const LineFacts& got = facts[std::size_t(k)];
            QCOMPARE(got.length, std::uint64_t(line.size()));
            QCOMPARE(got.bits, std::uint64_t(decoded ? decoded->size() : 0));
            QCOMPARE(got.foreign, decoded && decoded->find_first_not_of("01") != std::string::npos);
        }
    }

    // The row counter is 16 bits: a page whose rows end at 32767 is refused
    // once its first column is painted, whether the line is read whole or not.
    void rowCounterPastItsRangeRefused_data()
    {
        QTest::addColumn<int>("piece");
        QTest::newRow("whole") << 64;
        QTest::newRow("by characters") << 1;
    }
    void rowCounterPastItsRangeRefused()
    {
        QFETCH(int, piece);
        ScanState state;
        state.InfoHeader.biWidth = 122;
        state.InfoHeader.biHeight = 32768;
        CountPagesAndBlocks(state);
        DrawPosition position;
        position.DrawPage = 4096;  // rows 32760 to 32767
        DotCanvas canvas;
        ListingPainter painter(state, position, canvas);
        const std::string text = "        DB 01H,02H;\r\n";
        const auto feed = [&] {
            for (std::size_t at = 0; at < text.size(); at += static_cast<std::size_t>(piece))
                painter.Feed(std::string_view(text).substr(at, static_cast<std::size_t>(piece)));
        };
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, feed());
        QCOMPARE(canvas.painted, 8);
        QCOMPARE(canvas.At(0, 32760), Black);
    }

    void emptyListingPaintsNothing()
    {
        const DotCanvas canvas = Show(QByteArray());
        QCOMPARE(canvas.erased, 1);
        QCOMPARE(canvas.painted, 0);
    }

    void roundTripWithWriter()
    {
        for (unsigned seed = 11; seed <= 14; ++seed) {
            const BmpRecipe recipe = RandomPicture(seed);
            ScanState state = Counted();
            const std::string listing =
                WriteListing(state, 1, [&](int x, int y) { return recipe.index(x, y) == 1 ? 1 : 0; }, {});
            const DotCanvas canvas = Show(QByteArray::fromStdString(listing), state);
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 122; ++x)
                    QCOMPARE(canvas.At(x, y), recipe.index(x, y) == 1 ? Black : Green);
            }
        }
    }

    void missingFileNamed()
    {
        QTemporaryDir dir;
        ScanState state = Counted();
        DrawPosition position;
        DotCanvas canvas;
        QVERIFY(!ReadListing(FilePath(dir.filePath("lcd_gone.txt")), state, position, canvas).Ok());
        QVERIFY(!ReadListing(FilePath(dir.path()), state, position, canvas).Ok());
        QCOMPARE(canvas.painted, 0);
    }
};

QTEST_GUILESS_MAIN(ListingReaderTest)
#include "tst_listing_reader.moc"
