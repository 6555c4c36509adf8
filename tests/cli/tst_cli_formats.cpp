// quillon-cli and the table formats, run as a process: every format written
// from a picture under its own default name, read back by convert and preview,
// checked, labelled, and never written over an input.
#include "cli/cli_run.h"
#include "engine/identify.h"
#include "formats/formats.h"
#include "support/bmp_maker.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

namespace {

// Every format of the table (the manual page and README are held to it by
// tests/repo/check_lists.sh).
const QStringList AllFormats = [] {
    QStringList names;
    for (const Format& format : Formats())
        names << QString::fromLatin1(format.name);
    return names;
}();

// The default name of each format's file for the picture logo.bmp.
QString DefaultName(const QString& format)
{
    return "lcd_logo" + QString::fromLatin1(FindFormat(format.toStdString())->extension);
}

// A scratch folder with the picture logo.bmp and its listing, as the window writes it.
struct Logo {
    explicit Logo(unsigned seed = 1) : recipe(RandomPicture(seed))
    {
        WriteFile(folder.filePath("logo.bmp"), MakeBmp(recipe));
        listing = ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 0; });
    }
    QString Path(const QString& name) const { return folder.filePath(name); }
    CliRun Run(const QStringList& arguments) const { return RunCli(arguments, folder.path()); }

    QTemporaryDir folder;
    BmpRecipe recipe;
    QByteArray listing;
};

}  // namespace

class CliFormatsTest : public QObject {
    Q_OBJECT
private slots:
    // Picture -> format -> listing again gives the window's listing, byte for byte:
    // through a bmp made from the table, and through the table itself.
    void everyFormatRoundTrips_data()
    {
        QTest::addColumn<QString>("format");
        for (const QString& format : AllFormats)
            QTest::newRow(qPrintable(format)) << format;
    }
    // Without --format the output's name chooses it; --format always wins.
    void formatFromTheOutputsName_data()
    {
        QTest::addColumn<QStringList>("arguments");  // then the output's name
        QTest::addColumn<QString>("told");           // what the file written is told as
        const QStringList convert{"convert", "logo.bmp", "-o"};
        const QStringList text{"text", "Hi", "-o"};
        for (const auto& [name, told] : {std::pair{"out.h", "c"}, {"OUT.C", "c"}, {"out.a51", "a51"},
                                         {"out.bin", "bin"}, {"out.bmp", "BMP"}, {"out.txt", "listing"},
                                         {"out.asm", "listing"}, {"out.inc", "listing"}}) {
            QTest::addRow("convert -o %s", name) << convert + QStringList{name} << told;
            QTest::addRow("text -o %s", name) << text + QStringList{name} << told;
        }
        QTest::newRow("--format wins") << QStringList{"convert", "logo.bmp", "-f", "bin", "-o", "out.h"} << "bin";
    }
    void formatFromTheOutputsName()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, told);
        const Logo logo;
        const CliRun run = logo.Run(arguments);
        QCOMPARE(run.exitCode, 0);
        const std::string written = FileBytes(logo.Path(arguments.last())).toStdString();
        const Identity identity = Identify(written);
        QCOMPARE(QString::fromLatin1(identity.picture ? identity.picture->name : identity.table->name), told);
    }

    // font writes only glyph tables: an output's name that chooses none of
    // their formats needs --format.
    void fontFormatFromTheOutputsName()
    {
        const Logo logo;
        const QStringList font{"font", "--font", QString::fromLatin1(QUILLON_SOURCE_DIR "/fuzz/corpus/bdf_reader/ascii.bdf")};
        QCOMPARE(logo.Run(font + QStringList{"-o", "font.h"}).exitCode, 0);
        QVERIFY(FileBytes(logo.Path("font.h")).contains("const unsigned char"));
        const CliRun txt = logo.Run(font + QStringList{"-o", "font.txt"});
        QCOMPARE(txt.exitCode, 64);
        QVERIFY2(txt.err.startsWith("quillon-cli: --format: is needed"), txt.err.constData());
    }

    void everyFormatRoundTrips()
    {
        QFETCH(QString, format);
        const Logo logo;
        const CliRun written = logo.Run({"convert", "--format", format, "logo.bmp"});
        QCOMPARE(written.err, QByteArray());
        QCOMPARE(written.exitCode, 0);
        QCOMPARE(written.out, DefaultName(format).toUtf8() + "\n");

        // Table -> bmp -> listing.
        const CliRun picture = logo.Run({"convert", "-f", "bmp", "-o", "again.bmp", DefaultName(format)});
        QCOMPARE(picture.exitCode, 0);
        QCOMPARE(logo.Run({"convert", "again.bmp"}).exitCode, 0);
        QCOMPARE(FileBytes(logo.Path("lcd_again.txt")), logo.listing);
        // Table -> listing, straight.
        const CliRun listing = logo.Run({"convert", "-o", "-", DefaultName(format)});
        QCOMPARE(listing.exitCode, 0);
        QCOMPARE(listing.out, logo.listing);
        // And its dots, as preview shows them, are the listing's.
        const CliRun shown = logo.Run({"preview", DefaultName(format)});
        QCOMPARE(shown.exitCode, 0);
        QCOMPARE(shown.out, logo.Run({"preview", "lcd_again.txt"}).out);
    }

    // Each format into each other one and back: the same bytes again. (The
    // files share the stem "logo", which names a C array by default.)
    void formatToFormatAndBack()
    {
        const Logo logo(2);
        for (const QString& first : AllFormats) {
            QCOMPARE(logo.Run({"convert", "-f", first, "-o", "logo.first", "logo.bmp"}).exitCode, 0);
            const QByteArray original = FileBytes(logo.Path("logo.first"));
            for (const QString& second : AllFormats) {
                QCOMPARE(logo.Run({"convert", "-f", second, "-o", "logo.second", "logo.first"}).exitCode, 0);
                QCOMPARE(logo.Run({"convert", "-f", first, "-o", "logo.back", "logo.second"}).exitCode, 0);
                QVERIFY2(FileBytes(logo.Path("logo.back")) == original, qPrintable(first + " -> " + second));
            }
        }
    }

    // No default name lands on an input, and none on the picture a table was made from.
    void defaultNeverOverwritesAnInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("written");  // empty: refused
        QTest::newRow("listing made a listing again") << QStringList{"convert", "lcd_logo.txt"} << "";
        QTest::newRow("a bmp from the listing")
            << QStringList{"convert", "-f", "bmp", "lcd_logo.txt"} << "lcd_logo.bmp";
        QTest::newRow("a51 from the listing") << QStringList{"convert", "-f", "a51", "lcd_logo.txt"} << "lcd_logo.a51";
    }
    void defaultNeverOverwritesAnInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, written);
        const Logo logo(3);
        QVERIFY(WriteFile(logo.Path("lcd_logo.txt"), logo.listing));
        const QByteArray picture = FileBytes(logo.Path("logo.bmp"));

        const CliRun run = logo.Run(arguments);

        QCOMPARE(FileBytes(logo.Path("logo.bmp")), picture);
        QCOMPARE(FileBytes(logo.Path("lcd_logo.txt")), logo.listing);
        if (written.isEmpty()) {
            QCOMPARE(run.exitCode, 2);
            QCOMPARE(run.err, QByteArray("quillon-cli: lcd_logo.txt: cannot be written: it is the input itself; it "
                                         "is left as it is\n"));
            QCOMPARE(FolderEntries(logo.folder.path()), QStringList({"lcd_logo.txt", "logo.bmp"}));
            return;
        }
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, written.toUtf8() + "\n");
    }

    // --check compares whatever format is asked for.
    void checkEveryFormat_data()
    {
        QTest::addColumn<QString>("format");
        for (const QString& format : AllFormats)
            QTest::newRow(qPrintable(format)) << format;
    }
    void checkEveryFormat()
    {
        QFETCH(QString, format);
        const Logo logo(4);
        QCOMPARE(logo.Run({"convert", "-f", format, "logo.bmp"}).exitCode, 0);
        QCOMPARE(logo.Run({"convert", "--check", "-f", format, "logo.bmp"}).exitCode, 0);
        QCOMPARE(logo.Run({"convert", "--check", "-f", format, "--inverse", "logo.bmp"}).exitCode, 1);
        QVERIFY(WriteFile(logo.Path("logo.bmp"), MakeBmp(RandomPicture(5))));
        const CliRun stale = logo.Run({"convert", "--check", "-f", format, "logo.bmp"});
        QCOMPARE(stale.exitCode, 1);
        QCOMPARE(stale.err, "quillon-cli: " + DefaultName(format).toUtf8() +
                                ": out of date; it differs from what logo.bmp gives\n");
    }

    // A label stands before the data; in C it names the array, by default after the picture.
    void labels_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("a51") << QStringList{"-f", "a51", "--label", "logo"} << QByteArray("logo:");
        QTest::newRow("sdas") << QStringList{"-f", "sdas", "--label", "_logo"} << QByteArray("_logo:");
        QTest::newRow("c, named") << QStringList{"-f", "c", "--label", "splash"}
                                  << QByteArray("const unsigned char splash[488]");
        QTest::newRow("c, after the picture") << QStringList{"-f", "c"} << QByteArray("const unsigned char logo[488]");
    }
    void labels()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, expected);
        const Logo logo(6);
        const CliRun run = logo.Run(QStringList{"convert", "-o", "-"} + options + QStringList{"logo.bmp"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(expected), run.out.left(400).constData());
    }

    // Standard input for the picture, --quiet, and -- before a name that begins with -.
    void inputsAndQuiet()
    {
        const Logo logo(7);
        CliCall piped{{"convert", "-o", "piped.txt", "-"}, logo.folder.path()};
        piped.shell = "exec \"$0\" \"$@\" < logo.bmp";
        const CliRun fromStdin = RunCli(piped);
        QCOMPARE(fromStdin.exitCode, 0);
        QCOMPARE(FileBytes(logo.Path("piped.txt")), logo.listing);

        QVERIFY(QFile::copy(logo.Path("logo.bmp"), logo.Path("-dash.bmp")));
        const CliRun dashed = logo.Run({"convert", "--quiet", "--", "-dash.bmp"});
        QCOMPARE(dashed.err, QByteArray());
        QCOMPARE(dashed.exitCode, 0);
        QCOMPARE(dashed.out, QByteArray());  // --quiet
        QCOMPARE(FileBytes(logo.Path("lcd_-dash.txt")), logo.listing);
    }

    // A table that is not whole is refused, naming the line; nothing is written.
    void brokenTables_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QByteArray>("told");
        QByteArray lines;
        for (int k = 0; k < 61; ++k)
            lines += "    DB 0FFH,0FFH,0FFH,0FFH,0FFH,0FFH,0FFH,0FFH\r\n";
        QTest::newRow("488 bytes and one more") << lines + "    DB 01H\r\n" << QByteArray("more than 488 bytes");
        QTest::newRow("one byte short") << lines.left(lines.lastIndexOf(",0FFH")) + "\r\n"
                                        << QByteArray("the display takes exactly 488");
        QTest::newRow("a value over 255") << QByteArray(lines).replace(7, 4, "100H") << QByteArray("Line 1");
    }
    void brokenTables()
    {
        QFETCH(QByteArray, table);
        QFETCH(QByteArray, told);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("data.a51"), table));
        const CliRun run = RunCli({"convert", "-f", "bin", "data.a51"}, folder.path());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith("quillon-cli: data.a51: cannot be read as a51: ") && run.err.contains(told),
                 run.err.constData());
        QCOMPARE(FolderEntries(folder.path()), QStringList({"data.a51"}));
    }
};

QTEST_GUILESS_MAIN(CliFormatsTest)
#include "tst_cli_formats.moc"
