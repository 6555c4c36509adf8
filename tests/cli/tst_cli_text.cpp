// quillon-cli text and font, run as processes: text read back with preview,
// missing characters named once, glyph tables' numbers against the fonts'
// own, and bad fonts, sizes and texts refused with one line and no file.
#include "cli/cli_run.h"
#include "support/bmp_maker.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quillon::test;

namespace {

const QString Misc = QStringLiteral("/usr/share/fonts/X11/misc/");
const QString DejaVu = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

// Skips on Windows, fails naming the package when a font is missing.
#define REQUIRE_FONTS()                                                                    \
    do {                                                                                   \
        QUILLON_SKIP_ON_WINDOWS("the Windows build reads only BDF and the built-in font"); \
        if (!QFile::exists(Misc + "6x13.pcf.gz"))                                          \
            QFAIL("the misc-fixed fonts are missing: install xfonts-base");                \
        if (!QFile::exists(DejaVu))                                                        \
            QFAIL("DejaVu Sans is missing: install fonts-dejavu-core");                    \
    } while (false)

// What preview prints for a file: 32 rows of '#' and '.'.
QByteArrayList Previewed(const QString& file)
{
    const CliRun run = RunCli({"preview", file});
    return run.exitCode == 0 ? run.OutLines() : QByteArrayList{run.err};
}

}  // namespace

class CliTextTest : public QObject {
    Q_OBJECT
private slots:
    // Fonts by name, through fontconfig: the same dots as the file it names,
    // which --verbose says; a name no font has is refused in one line.
    void fontsByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");  // the font the name must find; empty: none
        QTest::newRow("family") << "DejaVu Sans" << DejaVu;
        QTest::newRow("family and style") << "DejaVu Sans:bold" << DejaVu.chopped(4) + "-Bold.ttf";
        QTest::newRow("no such family") << "Quillon No Such Font" << "";
    }
    void fontsByName()
    {
        REQUIRE_FONTS();
        QFETCH(QString, name);
        QFETCH(QString, file);
        QTemporaryDir folder;
        const CliRun byName =
            RunCli({"text", "-v", "--font", name, "--size", "12", "-f", "bin", "-o", folder.filePath("n.bin"), "Hi"});
        if (file.isEmpty()) {
            QCOMPARE(byName.exitCode, 2);
            QCOMPARE(byName.ErrLines(), QByteArrayList{"quillon-cli: " + name.toUtf8() +
                                                       ": no installed font is called that (fc-list lists them)"});
            QVERIFY(!QFile::exists(folder.filePath("n.bin")));
            return;
        }
        QCOMPARE(byName.exitCode, 0);
        QCOMPARE(byName.ErrLines(), QByteArrayList{"quillon-cli: " + name.toUtf8() + ": is " + file.toUtf8()});
        const CliRun byFile =
            RunCli({"text", "--font", file, "--size", "12", "-f", "bin", "-o", folder.filePath("f.bin"), "Hi"});
        QCOMPARE(byFile.exitCode, 0);
        QCOMPARE(FileBytes(folder.filePath("n.bin")), FileBytes(folder.filePath("f.bin")));
    }

    // Text drawn onto a picture's dots: the picture's dots and the text's
    // together, with the picture options as convert takes them.
    void onto()
    {
        QTemporaryDir folder;
        const QString picture = folder.filePath("logo.bmp");
        QVERIFY(WriteFile(picture, MakeBmp(RandomPicture(4))));
        const QString bin = folder.filePath("b.bin");
        QCOMPARE(RunCli({"convert", "--inverse", "-f", "bin", "-o", bin, picture}).exitCode, 0);
        QCOMPARE(RunCli({"text", "-f", "bin", "-o", folder.filePath("t.bin"), "Menu"}).exitCode, 0);
        const CliRun run =
            RunCli({"text", "--onto", picture, "--inverse", "-o", folder.filePath("o.txt"), "Menu"});
        QCOMPARE(run.exitCode, 0);
        // --inverse turns the finished dots over: the picture's and the text's, together.
        QByteArray expected = FileBytes(bin);
        const QByteArray text = FileBytes(folder.filePath("t.bin"));
        QCOMPARE(expected.size(), 488);
        for (int k = 0; k < 488; ++k)
            expected[k] = char(~(~expected[k] | text[k]));
        QCOMPARE(RunCli({"convert", "-f", "bin", "-o", "-", folder.filePath("o.txt")}).out, expected);
    }

    // "Hi" in the built-in font at (2, 3): H's bars and i's dot where a 5 x 7
    // H and i stand, in every format the tool writes, read back by preview.
    void textReadBack_data()
    {
        QTest::addColumn<QString>("format");
        for (const char* format : {"listing", "a51", "as31", "sdas", "c", "bin", "bmp"})
            QTest::newRow(format) << format;
    }
    void textReadBack()
    {
        QFETCH(QString, format);
        QTemporaryDir folder;
        const QString file = folder.filePath("hi." + format);
        const CliRun run = RunCli({"text", "--x", "2", "--y", "3", "-f", format, "-o", file, "Hi"});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        const QByteArrayList rows = Previewed(file);
        QCOMPARE(rows.size(), 32);
        const QByteArrayList glyphs{"..#...#...#.", "..#...#.....", "..#...#..##.", "..#####...#.",
                                    "..#...#...#.", "..#...#...#.", "..#...#..###"};
        for (int y = 0; y < 32; ++y) {
            const QByteArray expected = y >= 3 && y < 10 ? glyphs[y - 3] : QByteArray(12, '.');
            QCOMPARE(rows[y].left(12), expected);
            QCOMPARE(rows[y].mid(12), QByteArray(110, '.'));
        }
    }

    // --inverse lights every dot the plain text leaves clear, and only those.
    void inverse()
    {
        QTemporaryDir folder;
        QCOMPARE(RunCli({"text", "-f", "bin", "-o", folder.filePath("a"), "25 C\\nok"}).exitCode, 0);
        QCOMPARE(RunCli({"text", "--inverse", "-f", "bin", "-o", folder.filePath("b"), "25 C\\nok"}).exitCode, 0);
        const QByteArray plain = FileBytes(folder.filePath("a")), inverse = FileBytes(folder.filePath("b"));
        QCOMPARE(plain.size(), 488);
        QVERIFY(plain.count('\0') < 488);
        for (int k = 0; k < 488; ++k)
            QCOMPARE(static_cast<unsigned char>(inverse[k]), static_cast<unsigned char>(~plain[k]));
    }

    // Each character a font lacks is named once; the run still succeeds.
    void missingCharacters_data()
    {
        QTest::addColumn<QStringList>("font");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArrayList>("named");
        const QByteArray drawn = "; its default glyph is drawn instead";
        QTest::newRow("built-in, Latin-1") << QStringList{} << QString::fromUtf8("Grüße 25°C ±2µs") << QByteArrayList{};
        QTest::newRow("built-in")
            << QStringList{} << QString::fromUtf8("5€, 5€ 中")
            << QByteArrayList{"quillon-cli: built-in font: has no glyph for U+20AC '\xE2\x82\xAC'; it is left out",
                              "quillon-cli: built-in font: has no glyph for U+4E2D '\xE4\xB8\xAD'; it is left out"};
        QTest::newRow("misc-fixed") << QStringList{"--font", Misc + "6x13.pcf.gz"} << QString::fromUtf8("中25°中€")
                                    << QByteArrayList{"quillon-cli: " + (Misc + "6x13.pcf.gz").toUtf8() +
                                                      ": has no glyph for U+4E2D '\xE4\xB8\xAD'" + drawn};
        QTest::newRow("DejaVu") << QStringList{"--font", DejaVu, "--size", "12"} << QString::fromUtf8("a中b中")
                                << QByteArrayList{"quillon-cli: " + DejaVu.toUtf8() +
                                                  ": has no glyph for U+4E2D '\xE4\xB8\xAD'" + drawn};
    }
    void missingCharacters()
    {
        REQUIRE_FONTS();
        QFETCH(QStringList, font);
        QFETCH(QString, text);
        QFETCH(QByteArrayList, named);
        const CliRun run = RunCli(QStringList{"text"} + font + QStringList{"-f", "bin", "-o", "-", text});
        QCOMPARE(run.ErrLines(), named);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.size(), 488);
    }

    // Two texts in the built-in font written as the same table, or not: the
    // no-break space and soft hyphen draw as space and '-', and each Latin-1
    // letter or sign as itself.
    void builtInLatin1_data()
    {
        QTest::addColumn<QString>("one");
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("same");
        QTest::newRow("no-break space") << "a b" << QString::fromUtf8("a\u00A0b") << true;
        QTest::newRow("soft hyphen") << "a-b" << QString::fromUtf8("a\u00ADb") << true;
        QTest::newRow("umlaut") << "Grue" << QString::fromUtf8("Grüe") << false;
        QTest::newRow("capital, small") << QString::fromUtf8("Ö") << QString::fromUtf8("ö") << false;
        QTest::newRow("degree, ordinal") << QString::fromUtf8("°") << QString::fromUtf8("º") << false;
        QTest::newRow("grave, acute") << QString::fromUtf8("è") << QString::fromUtf8("é") << false;
    }
    void builtInLatin1()
    {
        QFETCH(QString, one);
        QFETCH(QString, other);
        QFETCH(bool, same);
        const CliRun first = RunCli({"text", "-f", "bin", "-o", "-", one});
        const CliRun second = RunCli({"text", "-f", "bin", "-o", "-", other});
        QCOMPARE(first.err + second.err, QByteArray());
        QCOMPARE(first.out.size(), 488);
        QVERIFY(first.out.count('\0') < 488);
        QCOMPARE(first.out == second.out, same);
    }

    // The numbers of misc-fixed 6x13 (FONT_ASCENT 11, FONT_DESCENT 2, 6 dots
    // a character) in its table's header and records.
    void fontTable()
    {
        REQUIRE_FONTS();
        const CliRun run =
            RunCli({"font", "--font", Misc + "6x13.pcf.gz", "--chars", "0x41-0x42,32", "-f", "bin", "-o", "-"});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        const auto byte = [&](int k) { return static_cast<int>(static_cast<unsigned char>(run.out[k])); };
        QCOMPARE((QList<int>{byte(0), byte(1), byte(2), byte(3)}), (QList<int>{32, 0, 0x42, 0}));
        QCOMPARE((QList<int>{byte(4), byte(6), byte(7), byte(8)}), (QList<int>{16, 11, 13, 0}));
        const int A = 10 + 5 * (0x41 - 32);
        QCOMPARE(byte(A + 2), 6);  // the advance
        // 32-66 and the default glyph, then the bitmaps: every glyph's offset lies in the file.
        QVERIFY(run.out.size() > 10 + 5 * 36);
        for (int k = 0; k < 36; ++k)
            QVERIFY(byte(10 + 5 * k + 3) + 256 * byte(10 + 5 * k + 4) < run.out.size());

        const CliRun c = RunCli({"font", "--font", DejaVu, "--size", "12", "-f", "c", "-o", "-"});
        QCOMPARE(c.exitCode, 0);
        QVERIFY(c.out.startsWith("/* Glyph table of DejaVuSans.ttf (TrueType, 12 px), codes 32-126"));
        QVERIFY(c.out.contains("const unsigned char DejaVuSans_12["));
        QVERIFY(c.out.contains("/* kerning U+0054 T, U+006F o */"));
    }

    // Refused: one line on stderr naming the font (or TEXT), exit 2, no file.
    void refused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("start");
        const QString pcf = Misc + "6x13.pcf.gz";
        QTest::newRow("no such font") << QStringList{"--font", "/nonexistent.ttf"}
                                      << QByteArray("quillon-cli: /nonexistent.ttf: cannot be read");
        QTest::newRow("broken font") << QStringList{"--font", "/etc/hostname"}
                                     << QByteArray("quillon-cli: /etc/hostname: not a font");
        QTest::newRow("size 0") << QStringList{"--font", DejaVu, "--size", "0"}
                                << ("quillon-cli: " + DejaVu.toUtf8() + ": --size 0");
        QTest::newRow("size 5000") << QStringList{"--font", DejaVu, "--size", "5000"}
                                   << ("quillon-cli: " + DejaVu.toUtf8() + ": --size 5000");
        QTest::newRow("scalable, no size")
            << QStringList{"--font", DejaVu} << ("quillon-cli: " + DejaVu.toUtf8() + ": a scalable font needs --size");
        QTest::newRow("bitmap at another size") << QStringList{"--font", pcf, "--size", "20"}
                                                << ("quillon-cli: " + pcf.toUtf8() + ": a bitmap font of 13 px");
        QTest::newRow("built-in at 12 px") << QStringList{"--size", "12"} << QByteArray("quillon-cli: built-in font: ");
    }
    void refused()
    {
        REQUIRE_FONTS();
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, start);
        QTemporaryDir folder;
        const QString output = folder.filePath("out.txt");
        for (const QString command : {"text", "font"}) {
            QStringList line = QStringList{command} + arguments + QStringList{"-f", "c", "-o", output};
            if (command == "text")
                line << "Hi";
            else if (!arguments.contains("--font"))
                continue;  // font needs --font
            const CliRun run = RunCli(line);
            QCOMPARE(run.exitCode, 2);
            QCOMPARE(run.ErrLines().size(), 1);
            QVERIFY2(run.err.startsWith(start), run.err);
            QVERIFY(!QFile::exists(output));
        }
        CliCall notUtf8{{"text", "-o", output}};
        notUtf8.shell = "\"$0\" \"$@\" \"$(printf '\\377')\"";
        const CliRun refusedText = RunCli(notUtf8);
        QCOMPARE(refusedText.exitCode, 2);
        QCOMPARE(refusedText.err, QByteArray("quillon-cli: TEXT: is not UTF-8\n"));
        QVERIFY(!QFile::exists(output));
    }
};

QTEST_GUILESS_MAIN(CliTextTest)
#include "tst_cli_text.moc"
