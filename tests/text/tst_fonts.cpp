// Fonts and the text renderer in process: the built-in font's glyphs by their
// shapes' rules, a BDF font's dots where the format puts them, text decoding,
// alignment and kerning.
#include "text/font.h"
#include "text/glyph_table.h"

#include <QFile>
#include <QTest>

#include <map>
#include <set>

using namespace quillon;
using namespace quillon::text;

namespace {

// A small BDF: a default box (code 0), "A" on the baseline and a "j" reaching
// one column left of its pen and two rows below the baseline.
constexpr std::string_view TestBdf = R"(STARTFONT 2.1
FONT -quillon-test
SIZE 9 75 75
FONTBOUNDINGBOX 5 9 -1 -2
STARTPROPERTIES 4
PIXEL_SIZE 9
FONT_ASCENT 7
FONT_DESCENT 2
DEFAULT_CHAR 0
ENDPROPERTIES
CHARS 3
STARTCHAR box
ENCODING 0
DWIDTH 6 0
BBX 5 7 0 0
BITMAP
F8
88
88
88
88
88
F8
ENDCHAR
STARTCHAR A
ENCODING 65
DWIDTH 6 0
BBX 5 7 0 0
BITMAP
20
50
88
F8
88
88
88
ENDCHAR
STARTCHAR j
ENCODING 106
DWIDTH 4 0
BBX 3 8 -1 -2
BITMAP
20
00
60
20
20
20
A0
40
ENDCHAR
ENDFONT
)";

GlyphTable TableOf(const Result<Font>& font)
{
    if (!font)
        qFatal("font refused: %s", font.Error().c_str());
    const Result<GlyphTable> table = MakeTable(*font);
    if (!table)
        qFatal("table refused: %s", table.Error().c_str());
    return *table;
}

// What the built-in font covers: ASCII 32-126 and Latin-1 160-255.
std::set<char32_t> Latin1()
{
    std::set<char32_t> codes;
    for (char32_t code = 32; code <= 255; ++code) {
        if (code <= 126 || code >= 160)
            codes.insert(code);
    }
    return codes;
}

// The glyph's dots on rows [from, to], '#' and '.'.
std::string RowsOf(const Glyph& glyph, int from, int to)
{
    std::string rows;
    for (int y = from; y <= to; ++y) {
        for (int x = 0; x < glyph.width; ++x)
            rows += glyph.Dot(x, y) ? '#' : '.';
    }
    return rows;
}

std::u32string Codes(const char* utf8)
{
    return TextCodes(utf8).value_or(U"?");
}

// The lit dots of the text as rows of '#' and '.', `width` columns, `height` rows.
QByteArrayList Rows(const GlyphTable& table, const char* text, int x, int y, int width, int height)
{
    DisplayImage image;
    Draw(table, Codes(text), x, y, image);
    QByteArrayList rows;
    for (int row = 0; row < height; ++row) {
        QByteArray line;
        for (int column = 0; column < width; ++column)
            line += image.Dot(column, row) ? '#' : '.';
        rows << line;
    }
    return rows;
}

struct Box {
    int left = DisplayWidth, right = -1, top = DisplayHeight, bottom = -1;
};
// The box of the lit dots in rows top to bottom.
Box LitBox(const DisplayImage& image, int top = 0, int bottom = DisplayHeight - 1)
{
    Box box;
    for (int y = top; y <= bottom; ++y) {
        for (int x = 0; x < DisplayWidth; ++x) {
            if (image.Dot(x, y))
                box = {std::min(box.left, x), std::max(box.right, x), std::min(box.top, y), std::max(box.bottom, y)};
        }
    }
    return box;
}

}  // namespace

class FontsTest : public QObject {
    Q_OBJECT
private slots:
    // Typographic rules of a 5 x 7 font: capitals and digits stand on the
    // baseline from row 0, x-height letters start on row 2, descenders use row
    // 7, and no two characters look alike but the no-break space and the
    // space, the soft hyphen and '-'.
    void builtInGlyphsKeepTheirCell()
    {
        const Result<Font> font = BuiltInFont({Latin1(), 0});
        QVERIFY(font.Ok());
        QCOMPARE(font->glyphs.size(), std::size_t{95 + 96});
        QVERIFY(font->missing.empty());
        std::map<std::string, char32_t> shapes;  // each glyph's dots, and whose they are
        for (const auto& [code, glyph] : font->glyphs) {
            const auto rowLit = [&](int y) {
                for (int x = 0; x < glyph.width; ++x) {
                    if (glyph.Dot(x, y))
                        return true;
                }
                return false;
            };
            const QByteArray name = QByteArray::fromStdString(CharacterName(code));
            QVERIFY2(glyph.width <= 5 && glyph.height <= 8 && glyph.top == 7 && glyph.advance == 6 && glyph.left == 0,
                     name);
            const auto [same, added] = shapes.emplace(std::string(glyph.dots.begin(), glyph.dots.end()), code);
            const std::set<std::pair<char32_t, char32_t>> alike{{U' ', U'\u00A0'}, {U'-', U'\u00AD'}};
            QVERIFY2(added || alike.count({same->second, code}),
                     name + " looks like " + QByteArray::fromStdString(CharacterName(same->second)));
            const bool blank = std::count(glyph.dots.begin(), glyph.dots.end(), 1) == 0;
            QVERIFY2(blank == (code == ' ' || code == U'\u00A0'), name);
            if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
                QVERIFY2(rowLit(0) && rowLit(6) && !rowLit(7), name);
            if (std::string_view("acemnorsuvwxz").find(static_cast<char>(code)) != std::string_view::npos)
                QVERIFY2(!rowLit(0) && !rowLit(1) && rowLit(2) && rowLit(6) && !rowLit(7), name);
            if (std::string_view("gjpqy").find(static_cast<char>(code)) != std::string_view::npos)
                QVERIFY2(rowLit(7), name);
        }
        QCOMPARE(font->glyphs.at(U'\u00A0').dots, font->glyphs.at(U' ').dots);
        QCOMPARE(font->glyphs.at(U'\u00AD').dots, font->glyphs.at(U'-').dots);
        QVERIFY(!font->hasDefault);
        const std::set<char32_t> beyond{U'\u007F', U'\u009F', U'\u0100', U'\u20AC', U'\u4E2D'};
        std::set<char32_t> asked = beyond;
        asked.insert({U'A', U'\u00B0'});
        QVERIFY(BuiltInFont({asked, 0})->missing == beyond);
        QVERIFY(!BuiltInFont({{U'A'}, 12}).Ok());
    }

    // An accented letter is its base letter, shortened for a capital: a small
    // one (and C with cedilla) keeps its base's dots outside the mark's rows;
    // a capital keeps the baseline, its accent on row 0.
    void builtInAccents_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("base");
        QTest::addColumn<int>("markFrom");  // the rows of the mark: -1 for a capital's
        QTest::addColumn<int>("markTo");
        QTest::newRow("a") << QString::fromUtf8("àáâãäå") << "a" << 0 << 1;
        QTest::newRow("c") << QString::fromUtf8("ç") << "c" << 7 << 7;
        QTest::newRow("e") << QString::fromUtf8("èéêë") << "e" << 0 << 1;
        QTest::newRow("i") << QString::fromUtf8("ìíîï") << "i" << 0 << 1;
        QTest::newRow("n") << QString::fromUtf8("ñ") << "n" << 0 << 1;
        QTest::newRow("o") << QString::fromUtf8("òóôõö") << "o" << 0 << 1;
        QTest::newRow("u") << QString::fromUtf8("ùúûü") << "u" << 0 << 1;
        QTest::newRow("y") << QString::fromUtf8("ýÿ") << "y" << 0 << 1;
        QTest::newRow("C") << QString::fromUtf8("Ç") << "C" << 7 << 7;
        QTest::newRow("A") << QString::fromUtf8("ÀÁÂÃÄÅ") << "A" << -1 << -1;
        QTest::newRow("E") << QString::fromUtf8("ÈÉÊË") << "E" << -1 << -1;
        QTest::newRow("I") << QString::fromUtf8("ÌÍÎÏ") << "I" << -1 << -1;
        QTest::newRow("N") << QString::fromUtf8("Ñ") << "N" << -1 << -1;
        QTest::newRow("O") << QString::fromUtf8("ÒÓÔÕÖ") << "O" << -1 << -1;
        QTest::newRow("U") << QString::fromUtf8("ÙÚÛÜ") << "U" << -1 << -1;
        QTest::newRow("Y") << QString::fromUtf8("Ý") << "Y" << -1 << -1;
    }
    void builtInAccents()
    {
        QFETCH(QString, letters);
        QFETCH(QString, base);
        QFETCH(int, markFrom);
        QFETCH(int, markTo);
        const Result<Font> font = BuiltInFont({Latin1(), 0});
        const Glyph& plain = font->glyphs.at(base.at(0).unicode());
        for (const QChar letter : letters) {
            const Glyph& glyph = font->glyphs.at(letter.unicode());
            const QByteArray name = QString(letter).toUtf8();
            QVERIFY2(glyph.dots != plain.dots, name);
            if (markFrom < 0) {
                QVERIFY2(RowsOf(glyph, 0, 0) != ".....", name);
                QVERIFY2(RowsOf(glyph, 6, 6) != "....." && RowsOf(glyph, 7, 7) == ".....", name);
                continue;
            }
            QVERIFY2(RowsOf(glyph, markFrom, markTo) != RowsOf(plain, markFrom, markTo), name);
            if (markFrom > 0)
                QVERIFY2(RowsOf(glyph, 0, markFrom - 1) == RowsOf(plain, 0, markFrom - 1), name);
            if (markTo < 7)
                QVERIFY2(RowsOf(glyph, markTo + 1, 7) == RowsOf(plain, markTo + 1, 7), name);
        }
    }

    void bdfDotsWhereTheFileSays()
    {
        const GlyphTable table = TableOf(ReadBdf(TestBdf, {{U'A', U'j', U'B'}, 0}));
        // A from row 0 (its top is the ascent's), j from row 1, one column
        // into A's advance, and two rows below the baseline under row 6.
        const QByteArrayList expected{"..#.....", ".#.#...#", "#...#...", "#####.##", "#...#..#",
                                      "#...#..#", "#...#..#", ".....#.#", "......#.", "........"};
        QCOMPARE(Rows(table, "Aj", 0, 0, 8, 10), expected);
        // B is not in the font: the default box, and the next line 9 rows lower.
        const QByteArrayList box{"#####", "#...#", "#...#", "#...#", "#...#", "#...#", "#####"};
        QCOMPARE(Rows(table, "\\nB", 0, 0, 5, 16).mid(9), box);
        QCOMPARE(Rows(table, "B", -2, 3, 3, 10).mid(3),
                 QByteArrayList({"###", "..#", "..#", "..#", "..#", "..#", "###"}));
    }

    void brokenBdf_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("why");
        QTest::newRow("no ENDFONT") << QByteArray("ENDFONT") << QByteArray("") << "ENDFONT";
        QTest::newRow("not BDF") << QByteArray("STARTFONT 2.1") << QByteArray("STARTFONTS") << "STARTFONT";
        QTest::newRow("huge BBX") << QByteArray("BBX 5 7 0 0\nBITMAP\n20") << QByteArray("BBX 5 9000 0 0\nBITMAP\n20")
                                  << "line 28: BBX";
        QTest::newRow("short row") << QByteArray("\n50\n") << QByteArray("\n5\n") << "line 31: a bitmap row is shorter";
        QTest::newRow("no hex") << QByteArray("\n50\n") << QByteArray("\nZ0\n") << "line 31: a bitmap row holds";
        QTest::newRow("no ascent") << QByteArray("FONT_ASCENT 7") << QByteArray("X") << "FONT_ASCENT";
        QTest::newRow("ends early") << QByteArray("ENDCHAR\nENDFONT") << QByteArray("") << "not followed by ENDCHAR";
    }
    void brokenBdf()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, why);
        QByteArray bdf = QByteArray(TestBdf.data(), static_cast<qsizetype>(TestBdf.size()));
        QVERIFY(bdf.contains(from));
        bdf.replace(bdf.lastIndexOf(from), from.size(), to);
        const Result<Font> font = ReadBdf(bdf.toStdString(), {{U'A', U'j'}, 0});
        QVERIFY(!font.Ok());
        QVERIFY2(QString::fromStdString(font.Error()).contains(why), font.Error().c_str());
    }

    void textCodes_data()
    {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QString>("codes");  // empty: refused
        QTest::newRow("degrees") << QByteArray(
                                        "25\xC2\xB0"
                                        "C")
                                 << QString::fromUtf8("25\u00B0C");
        QTest::newRow("new line") << QByteArray("a\\nb") << "a\nb";
        QTest::newRow("backslash") << QByteArray("a\\\\nb") << "a\\nb";
        QTest::newRow("lone backslash") << QByteArray("a\\b\\") << "a\\b\\";
        QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << QString::fromUtf8("\U0001F600");
        QTest::newRow("overlong") << QByteArray("\xC0\x80") << QString();
        QTest::newRow("cut short") << QByteArray("a\xE2\x82") << QString();
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << QString();
    }
    void textCodes()
    {
        QFETCH(QByteArray, utf8);
        QFETCH(QString, codes);
        const auto decoded = TextCodes(utf8.toStdString());
        QCOMPARE(decoded.has_value(), !codes.isEmpty());
        if (decoded)
            QCOMPARE(QString::fromUcs4(decoded->data(), static_cast<qsizetype>(decoded->size())), codes);
    }

    // The box of the lit dots lands at the display's edge or middle.
    void alignment_data()
    {
        QTest::addColumn<int>("horizontal");
        QTest::addColumn<int>("vertical");
        QTest::addColumn<QList<int>>("box");  // left, right, top, bottom
        // "Hi" with the built-in font: 10 columns (H 5, a gap of 2, i 3), rows 0-6.
        QTest::newRow("right bottom") << int(Align::End) << int(Align::End) << QList<int>{112, 121, 25, 31};
        QTest::newRow("center middle") << int(Align::Middle) << int(Align::Middle) << QList<int>{56, 65, 12, 18};
        QTest::newRow("left top of x, y") << int(Align::Start) << int(Align::None) << QList<int>{0, 9, 5, 11};
    }
    void alignment()
    {
        QFETCH(int, horizontal);
        QFETCH(int, vertical);
        QFETCH(QList<int>, box);
        const GlyphTable table = TableOf(BuiltInFont({{U'H', U'i'}, 0}));
        DisplayImage image;
        const Drawn drawn = DrawText(table, U"Hi", {40, 5, Align(horizontal), Align(vertical)}, image);
        const Box lit = LitBox(image);
        QCOMPARE((QList<int>{lit.left, lit.right, lit.top, lit.bottom}), box);
        QCOMPARE(drawn.firstCutLine, 0);
    }

    // A menu in the built-in font: each line on its own 8 rows (or moved by
    // --line-spacing), each aligned on its own; cut-off text is told.
    void lines_data()
    {
        QTest::addColumn<int>("horizontal");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("cut");  // edges and line, or empty
        for (const Align align : {Align::None, Align::Start, Align::Middle, Align::End})
            QTest::addRow("four lines fill 32 rows, aligned %d", int(align)) << int(align) << 0 << 0 << "";
        QTest::newRow("two rows apart") << int(Align::None) << 2 << 0 << "bottom 4";
        QTest::newRow("squeezed") << int(Align::None) << -1 << 0 << "";
        QTest::newRow("one row low") << int(Align::None) << 0 << 1 << "bottom 4";
        QTest::newRow("above the top") << int(Align::End) << 0 << -3 << "top 1";
    }
    void lines()
    {
        QFETCH(int, horizontal);
        QFETCH(int, spacing);
        QFETCH(int, y);
        const std::u32string menu = U"> Contrast  7\n  Light    on\n  About\n  Language gy";
        const GlyphTable table = TableOf(BuiltInFont({std::set<char32_t>(menu.begin(), menu.end()), 0}));
        DisplayImage image;
        const Drawn drawn = DrawText(table, menu, {0, y, Align(horizontal), Align::None, spacing}, image);
        const QString edges = QString(drawn.top ? "top " : "") + (drawn.bottom ? "bottom " : "") +
                              (drawn.left ? "left " : "") + (drawn.right ? "right " : "");
        QTEST(drawn.firstCutLine ? edges + QString::number(drawn.firstCutLine) : QString(), "cut");
        for (int line = 0; line < 4; ++line) {
            const int top = y + line * (8 + spacing);
            const Box box = LitBox(image, std::max(0, top), std::min(DisplayHeight - 1, top + 7 + std::min(0, spacing)));
            if (box.right < 0 || top < 0 || top + 7 > DisplayHeight - 1)
                continue;  // cut, or squeezed out of its band
            if (horizontal == int(Align::Start))
                QCOMPARE(box.left, 0);
            if (horizontal == int(Align::End))
                QCOMPARE(box.right, DisplayWidth - 1);
            if (horizontal == int(Align::Middle))
                QVERIFY(std::abs(box.left - (DisplayWidth - 1 - box.right)) <= 1);
        }
    }

    // DejaVu Sans has kerning: "AV" is A, and V moved by A's advance and the pair's value.
    void kerning()
    {
        QFile file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
        QVERIFY2(file.open(QIODevice::ReadOnly), "DejaVu Sans is missing: install fonts-dejavu-core");
        const QByteArray bytes = file.readAll();
        const GlyphTable table = TableOf(ReadFont(bytes.toStdString(), {{U'A', U'V'}, 16}));
        const int move = table.Kerning(U'A', U'V');
        QVERIFY2(move < 0, qPrintable(QString::number(move)));
        DisplayImage pair, apart;
        Draw(table, U"AV", 0, 0, pair);
        Draw(table, U"A", 0, 0, apart);
        Draw(table, U"V", table.GlyphOf(U'A').advance + move, 0, apart);
        QVERIFY(pair == apart);
        QVERIFY(!ReadFont(bytes.toStdString(), {{U'A'}, 0}).Ok());  // a scalable font needs a size
    }
};

QTEST_GUILESS_MAIN(FontsTest)
#include "tst_fonts.moc"
