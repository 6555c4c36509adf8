// The display image's formats without any outside tool: what each writes,
// that each reads it back, how tolerant and how strict the readers are, how a
// file's format is told and how outputs are named.
#include "convert/geometry.h"
#include "formats/listing_writer.h"
#include "formats/formats.h"
#include "intake/bitmap_reader.h"
#include "support/bmp_maker.h"
#include "support/display_images.h"

#include <QRegularExpression>
#include <QTest>

#include <set>

using namespace quillon;
using namespace quillon::test;

namespace {

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray Bytes(const std::string& text)
{
    return QByteArray::fromStdString(text);
}

const Format& Named(const QString& name)
{
    const Format* format = FindFormat(name.toStdString());
    if (!format)
        qFatal("no format %s", qPrintable(name));
    return *format;
}

// The counting image's bytes (k mod 256, from k = start) as data lines: `perLine` items a
// line, each made by `item`, the line made by `line`.
QByteArray CountingLines(int count, int perLine, const std::function<QByteArray(int)>& item,
                         const std::function<QByteArray(const QByteArray&)>& line, int start = 0)
{
    QByteArray text;
    for (int first = 0; first < count; first += perLine) {
        QByteArrayList items;
        for (int k = first; k < std::min(count, first + perLine); ++k)
            items << item((start + k) % 256);
        text += line(items.join(',')) + "\r\n";
    }
    return text;
}

QByteArray HexH(int value)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(2, '0') + "H";
}

QByteArray CountingC(int count, const QByteArray& before = "const unsigned char t[488] = {\n")
{
    return before +
           CountingLines(
               count, 8, [](int v) { return "0x" + QByteArray::number(v, 16); },
               [](const QByteArray& items) { return "  " + items + ","; }) +
           "};\n";
}

// The window's listing turned into each other text format by rewriting its
// text, worked out from ExpectedListing's byte order, not from the writers.
QByteArray FromListing(const QString& format, const QByteArray& listing)
{
    QString text = QString::fromLatin1(listing);
    const auto replace = [&](const char* pattern, const char* with) {
        text.replace(QRegularExpression(QString::fromLatin1(pattern)), QString::fromLatin1(with));
    };
    if (format == "a51" || format == "as31") {
        replace(";\r\n", "\r\n");
        replace("\\b([A-F][0-9A-F]H)", "0\\1");
        if (format == "as31")
            replace(" DB ", " .db ");
        return "logo:\r\n" + text.toLatin1();
    }
    if (format == "sdas") {
        replace(";\r\n", "\r\n");
        replace("([0-9A-F]{2})H", "0x\\1");
        replace(" DB ", " .db ");
        return "logo:\r\n" + text.toLatin1();
    }
    // c
    replace("([0-9A-F]{2})H", "0x\\1");
    replace(",", ", ");
    replace(" DB ", " ");
    replace(";\r\n", ",\r\n");
    text.chop(3);  // the last item's ",\r\n"
    return "/* 122 x 32 LCD data, 488 bytes in the order the display takes them:\r\n"
           " * block 1 (columns 0-60), then block 2 (columns 61-121); in each block\r\n"
           " * page 1 (rows 0-7) to page 4 (rows 24-31); in each page one byte per\r\n"
           " * column from left to right, bit 0 the page's top row, 1 a lit dot. */\r\n"
           "const unsigned char logo[488] = {\r\n" +
           text.toLatin1() + "\r\n};\r\n";
}

}  // namespace

class ImageFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void dotsAndBytes_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("bit");
        QTest::newRow("(0,0) bit 0 of byte 0") << 0 << 0 << 0 << 0;
        QTest::newRow("(0,7) bit 7 of byte 0") << 0 << 7 << 0 << 7;
        QTest::newRow("(0,8) page 2 of block 1") << 0 << 8 << 61 << 0;
        QTest::newRow("(60,31) last of block 1") << 60 << 31 << 243 << 7;
        QTest::newRow("(61,0) first of block 2") << 61 << 0 << 244 << 0;
        QTest::newRow("(70,13) page 2 of block 2") << 70 << 13 << 314 << 5;
        QTest::newRow("(121,31) last byte") << 121 << 31 << 487 << 7;
    }
    void dotsAndBytes()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, index);
        QFETCH(int, bit);
        DisplayImage image;
        image.SetDot(x, y, true);
        for (std::size_t k = 0; k < DisplayBytes; ++k)
            QCOMPARE(int{image.Byte(k)}, static_cast<int>(k) == index ? 1 << bit : 0);
        QVERIFY(image.Dot(x, y));
        QVERIFY(image != DisplayImage{});
        image.SetDot(x, y, false);
        QVERIFY(image == DisplayImage{});
        // Clearing one dot leaves the other seven of its byte lit.
        image.SetByte(static_cast<std::size_t>(index), 0xFF);
        image.SetDot(x, y, false);
        QCOMPARE(int{image.Byte(static_cast<std::size_t>(index))}, 0xFF & ~(1 << bit));
    }

    // The listing format is the window's listing, byte for byte; pictures read
    // through the bmp format light the dots the window lights.
    void listingIsTheWindows_data()
    {
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<bool>("inverse");
        for (unsigned seed = 1; seed <= 5; ++seed)
            QTest::addRow("random picture %u", seed) << MakeBmp(RandomPicture(seed)) << (seed % 2 == 0);
        BmpRecipe same = RandomPicture(9);
        same.colours[1] = same.colours[0];
        QTest::newRow("both colours alike: every dot lit") << MakeBmp(same) << false;
    }
    void listingIsTheWindows()
    {
        QFETCH(QByteArray, picture);
        QFETCH(bool, inverse);
        const ReadResult read = ReadPictureImage(View(picture), inverse);
        QVERIFY2(read.Ok(), read.Error().c_str());
        const std::string listing = Named("listing").Write(*read, {});

        const PictureRead window = ReadPicture(std::span(reinterpret_cast<const std::uint8_t*>(picture.constData()),
                                                         static_cast<std::size_t>(picture.size())));
        ScanState state;
        state.InfoHeader = window.infoHeader;
        CountPagesAndBlocks(state);
        const RgbValue on = ColourOf(window.colourTable[inverse ? 1 : 0]);
        QCOMPARE(listing, WriteListing(state, on, [&](int x, int y) { return window.picture.Pixel(x, y); }, {}));
        QCOMPARE(Bytes(listing), ExpectedListing([&](int x, int y) { return window.picture.Pixel(x, y) == on; }));
    }

    // Every text format, whole, against the listing rewritten by hand.
    void textFormatsWhole_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("image");
        for (const char* format : {"a51", "as31", "sdas", "c"}) {
            for (int k = 0; k < TestImages().size(); ++k)
                QTest::addRow("%s, %s", format, qPrintable(TestImages()[k].name)) << QString(format) << k;
        }
    }
    void textFormatsWhole()
    {
        QFETCH(QString, format);
        QFETCH(int, image);
        const DisplayImage& shown = TestImages()[image].image;
        const QByteArray written = Bytes(Named(format).Write(shown, {"logo", "ignored.bmp"}));
        QCOMPARE(written, FromListing(format, ExpectedListing([&](int x, int y) { return shown.Dot(x, y); })));
    }

    // Without a label (with one: textFormatsWhole).
    void withoutLabel_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("firstLine");  // of the data, after a C file's comment
        QTest::newRow("a51: the data at once") << "a51" << QByteArray("        DB 00H,01H,");
        QTest::newRow("c: named after the picture")
            << "c" << QByteArray("const unsigned char my_logo[488] = {\r\n        0x00,");
    }
    void withoutLabel()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, firstLine);
        QByteArray text = Bytes(Named(format).Write(TestImages()[0].image, {"", "/pics/my logo.bmp"}));
        if (format == "c")
            text = text.mid(text.indexOf("*/\r\n") + 4);
        QVERIFY2(text.startsWith(firstLine), text.left(80).constData());
    }

    void bmpIsWhatTheWindowTakes()
    {
        const DisplayImage& shown = TestImages()[0].image;
        const QByteArray bmp = Bytes(Named("bmp").Write(shown, {}));
        const PictureRead read = ReadPicture(
            std::span(reinterpret_cast<const std::uint8_t*>(bmp.constData()), static_cast<std::size_t>(bmp.size())));
        QCOMPARE(read.outcome, PictureRead::Outcome::Accepted);
        QCOMPARE(read.infoHeader.biSize, 40u);
        QCOMPARE(read.infoHeader.biHeight, 32);  // bottom-up
        QCOMPARE(read.fileHeader.bfSize, static_cast<std::uint32_t>(bmp.size()));
        QCOMPARE(bmp.size(), 14 + 40 + 8 + 32 * 16);
        for (int y = 0; y < DisplayHeight; ++y) {
            for (int x = 0; x < DisplayWidth; ++x)
                QCOMPARE(read.picture.IndexAt(x, y) == 0, shown.Dot(x, y));
        }
        QCOMPARE(ColourOf(read.colourTable[0]), Rgb(0, 0, 0));
        QCOMPARE(ColourOf(read.colourTable[1]), Rgb(255, 255, 255));
    }

    // image -> format -> read back, by the format and by detection.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("image");
        for (const Format& format : Formats()) {
            for (int k = 0; k < TestImages().size(); ++k) {
                QTest::addRow("%s, %s", format.name.data(), qPrintable(TestImages()[k].name))
                    << QString::fromLatin1(format.name) << k;
            }
        }
    }
    void roundTrip()
    {
        QFETCH(QString, format);
        QFETCH(int, image);
        const DisplayImage& shown = TestImages()[image].image;
        const std::string written = Named(format).Write(shown, {format == "listing" ? "" : "logo", "x.bmp"});
        const ReadResult read = Named(format).Read(written);
        QVERIFY2(read.Ok(), read.Error().c_str());
        QVERIFY(*read == shown);
        // Told by content: a table by its format's rule, a bmp file as a picture.
        const Identity identity = Identify(written);
        QCOMPARE(QString::fromLatin1(identity.table ? identity.table->name : identity.picture->name),
                 format == "bmp" ? "BMP" : format);
        const Result<ReadBack> any = DotsOfBytes(written);
        QVERIFY(any.Ok() && any->image == shown);
    }

    // any -> any other -> back, each told by content: the same bytes as the first file.
    void anyToAny()
    {
        const DisplayImage& shown = TestImages()[1].image;
        for (const Format& from : Formats()) {
            const std::string first = from.Write(shown, {});
            for (const Format& to : Formats()) {
                const Result<ReadBack> once = DotsOfBytes(first);
                QVERIFY2(once.Ok(), once.Error().c_str());
                const Result<ReadBack> twice = DotsOfBytes(to.Write(once->image, {}));
                QVERIFY2(twice.Ok(), twice.Error().c_str());
                QVERIFY2(from.Write(twice->image, {}) == first, (std::string(from.name) + " -> " + to.name.data()).c_str());
            }
        }
    }

    void tolerantReading_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("text");
        const auto db = [](const QByteArray& items) { return "        DB " + items; };
        QTest::newRow("the window's FFH items and ;")
            << "listing" << CountingLines(488, 8, HexH, [&](const QByteArray& i) { return db(i) + ";"; });
        QTest::newRow("lower case, 0ffh") << "a51"
                                          << CountingLines(
                                                 488, 8, [](int v) { return "0" + QByteArray::number(v, 16) + "h"; },
                                                 [](const QByteArray& i) { return "\tdb\t" + i; });
        QTest::newRow("one item a line, LF only, .byte 0x")
            << "sdas"
            << CountingLines(
                   488, 1, [](int v) { return "0x" + QByteArray::number(v, 16); },
                   [](const QByteArray& i) { return ".byte " + i; })
                   .replace("\r\n", "\n");
        QTest::newRow("all on one line, decimal") << "a51"
                                                  << CountingLines(
                                                         488, 488, [](int v) { return QByteArray::number(v); }, db);
        QTest::newRow("binary, # and D suffix, CR only")
            << "sdas"
            << CountingLines(
                   488, 3,
                   [](int v) {
                       return v % 3 == 0   ? QByteArray::number(v, 2) + "B"
                              : v % 3 == 1 ? "#0X" + QByteArray::number(v, 16)
                                           : QByteArray::number(v) + "d";
                   },
                   [](const QByteArray& i) { return ".DB " + i; })
                   .replace("\r\n", "\r");
        QTest::newRow("comments, labels, blank lines, spaces, byte order mark")
            << "a51"
            << "\xEF\xBB\xBF; drawn by hand\r\nlogo:   // the logo\r\n\r\n" +
                   CountingLines(488, 8, HexH, [](const QByteArray& i) {
                       return "row::  DB  " + QByteArray(i).replace(",", " , ") + "   ; eight";
                   });
        QTest::newRow("C: comments, octal, suffixes, trailing comma")
            << "c"
            << "/* { not this one } */\n// nor { this\n"
               "static const unsigned char x[] = { 0, 01, 0x2, 3u, 0b100, 5UL, /* six */ 0006, 7,\n" +
                   CountingLines(
                       480, 8, [](int v) { return QByteArray::number(v); },
                       [](const QByteArray& i) { return "  " + i + ", // more"; }, 8) +
                   "};\nint after = 1;\n";
    }
    void tolerantReading()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, text);
        const Format* detected = DetectFormat(View(text));
        QVERIFY(detected);
        QCOMPARE(QString::fromLatin1(detected->name), format);
        const ReadResult read = detected->Read(View(text));
        QVERIFY2(read.Ok(), read.Error().c_str());
        QVERIFY(*read == TestImages()[0].image);
    }

    void strictReading_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        const auto db = [](const QByteArray& items) { return "        DB " + items; };
        const auto withItem = [&](int at, const QByteArray& item) {
            return CountingLines(
                488, 8, [&, count = 0](int v) mutable { return count++ == at ? item : HexH(v); }, db);
        };
        QTest::newRow("a value over 255") << "a51" << withItem(100, "100H") << R"(Line 13: "100H" is over 255 (FFH).)";
        QTest::newRow("decimal 256") << "a51" << withItem(0, "256") << R"(Line 1: "256" is over 255 (FFH).)";
        QTest::newRow("not a number") << "a51" << withItem(9, "0FGH") << R"(Line 2: "0FGH" is not a number.)";
        QTest::newRow("a character") << "a51" << withItem(9, "'A'") << R"(Line 2: "'A'" is not a number.)";
        QTest::newRow("an empty item") << "a51" << withItem(487, "") << "Line 61: an item is missing.";
        QTest::newRow("487 bytes") << "a51" << CountingLines(487, 8, HexH, db)
                                   << "The data ends at line 61 after 487 bytes; the display takes exactly 488.";
        QTest::newRow("489 bytes") << "a51" << CountingLines(489, 8, HexH, db)
                                   << "Line 62: more than 488 bytes; the display takes exactly 488.";
        QTest::newRow("another statement") << "a51"
                                           << "        ORG 100H\r\n" + CountingLines(488, 8, HexH, db)
                                           << R"(Line 1: "ORG 100H" is not a data line (DB, .db or .byte).)";
        QTest::newRow("no data") << "a51" << QByteArray("; nothing\r\n")
                                 << "No data: the display takes exactly 488 bytes.";
        QByteArray over = CountingC(488);
        over.replace(over.indexOf("0x10,"), 4, "0x100");
        QTest::newRow("C over 255") << "c" << over << R"(Line 4: "0x100" is over 255 (FFH).)";
        QTest::newRow("C 487 bytes") << "c" << CountingC(487)
                                     << "The data ends at line 62 after 487 bytes; the display takes exactly 488.";
        QTest::newRow("C two commas") << "c" << CountingC(488).replace("0x5,", "0x5,,")
                                      << "Line 2: an item is missing.";
        QTest::newRow("C unclosed") << "c" << CountingC(488).replace("};", "")
                                    << "Line 63: no \"}\" ends the array's values.";
        QTest::newRow("C without braces")
            << "c" << QByteArray("const char x = 1;\n") << "Line 1: no \"{\" starts the array's values.";
        QTest::newRow("bin one byte short")
            << "bin" << QByteArray(487, '\xFF') << "The file has 487 bytes; the display takes exactly 488.";
        BmpRecipe wide;
        wide.width = 123;
        QTest::newRow("bmp not 122 x 32") << "bmp" << MakeBmp(wide) << QString::fromStdString(SizeErrorPrompt());
    }
    void strictReading()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        const ReadResult read = Named(format).Read(View(text));
        QCOMPARE(QString::fromStdString(read.Error()), error);
        QVERIFY(!read.Ok());
    }

    void detection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("format");  // empty: not recognised
        const std::string listing = Named("listing").Write(TestImages()[0].image, {});
        QTest::newRow("listing with lower-case digits: a51") << Bytes(listing).replace("FFH", "ffH") << "a51";
        QTest::newRow("listing without any A0H-FFH: still listing")
            << Bytes(Named("listing").Write(DisplayImage{}, {})) << "listing";
        QTest::newRow("488 printable bytes: bin") << QByteArray(488, 'A') << "bin";
        QTest::newRow("text starting with BM: a51") << QByteArray("BMlogo: DB 1\r\n") << "a51";
        QTest::newRow("as31 items in .byte: as31") << QByteArray(".byte 0FFH\n") << "as31";
        QTest::newRow("a DB in a C comment: c") << QByteArray("// DB 1\nconst char x[] = {1};\n") << "c";
        QTest::newRow("other text") << QByteArray("hello\r\n") << "";
        QTest::newRow("nothing") << QByteArray() << "";
        QTest::newRow("489 binary bytes") << QByteArray(489, '\0') << "";
    }
    void detection()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, format);
        const Format* detected = DetectFormat(View(bytes));
        QCOMPARE(detected ? QString::fromLatin1(detected->name) : QString(), format);
        if (!detected)
            QVERIFY(!ReadAnyFormat(View(bytes)).Ok());
    }

    void cIdentifier_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("identifier");
        QTest::newRow("plain") << "logo.bmp"
                               << "logo";
        QTest::newRow("folder and space") << "/home/u/my logo.bmp"
                                          << "my_logo";
        QTest::newRow("Windows folder, leading digit") << R"(C:\pics\2x.bmp)"
                                                       << "lcd_2x";
        QTest::newRow("only the last extension") << "lcd_logo.txt.bak"
                                                 << "lcd_logo_txt";
        QTest::newRow("non-ASCII letters") << "Ärger-Über.bmp"
                                           << "lcd_rger_ber";
        QTest::newRow("C keyword") << "int.bmp"
                                   << "int_";
        QTest::newRow("8051 memory keyword") << "data.bmp"
                                             << "data_";
        QTest::newRow("register") << "R0.bmp"
                                  << "R0_";
        QTest::newRow("nothing usable") << "---.bmp"
                                        << "lcd_data";
        QTest::newRow("only an extension") << ".bmp"
                                           << "lcd_bmp";
        QTest::newRow("long") << QString(40, 'n') + ".bmp" << QString(31, 'n');
    }
    void cIdentifier()
    {
        QFETCH(QString, file);
        QFETCH(QString, identifier);
        const std::string made = CIdentifier(file.toStdString());
        QCOMPARE(QString::fromStdString(made), identifier);
        QVERIFY(IsValidLabel(made));
    }

    void labelsAllowed_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("valid");
        QTest::newRow("letters and digits") << "Logo_2" << true;
        QTest::newRow("31 characters") << QString(31, 'x') << true;
        QTest::newRow("32 characters") << QString(32, 'x') << false;
        QTest::newRow("leading digit") << "2logo" << false;
        QTest::newRow("hyphen") << "my-logo" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("accumulator") << "a" << false;
        QTest::newRow("register in capitals") << "R7" << false;
        QTest::newRow("C keyword") << "const" << false;
        QTest::newRow("keyword in capitals is a name") << "CONST" << true;
    }
    void labelsAllowed()
    {
        QFETCH(QString, label);
        QTEST(IsValidLabel(label.toStdString()), "valid");
    }

    void outputStem_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("stem");
        QTest::newRow("picture in a folder") << "pics/logo.bmp"
                                             << "logo";
        QTest::newRow("the window's listing") << "lcd_logo.txt"
                                              << "logo";
        QTest::newRow("a written table, Windows folder") << R"(C:\fw\lcd_logo.a51)"
                                                         << "logo";
        QTest::newRow("only the last extension") << "logo.bmp.bmp"
                                                 << "logo.bmp";
        QTest::newRow("only one lcd_") << "lcd_lcd_a.txt"
                                       << "lcd_a";
        QTest::newRow("nothing after lcd_") << "lcd_.txt"
                                            << "lcd_";
        QTest::newRow("nothing at all") << "pics/"
                                        << "data";
    }
    void outputStem()
    {
        QFETCH(QString, input);
        QFETCH(QString, stem);
        QCOMPARE(QString::fromStdString(OutputStem(input.toStdString())), stem);
    }

    void defaultNames()
    {
        std::set<std::string> names;
        for (const Format& format : Formats())
            names.insert(DefaultOutputName(format, "logo"));
        QCOMPARE(names.size(), Formats().size());
        QCOMPARE(DefaultOutputName(Named("listing"), "logo"), std::string("lcd_logo.txt"));
        QCOMPARE(DefaultOutputName(Named("bmp"), OutputStem("lcd_logo.txt")), std::string("lcd_logo.bmp"));
    }
};

QTEST_GUILESS_MAIN(ImageFormatsTest)
#include "tst_image_formats.moc"
