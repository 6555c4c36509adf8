// quillon-cli convert, run as a process: the listings it writes beside the
// pictures, standard output, rejected and unreadable pictures, and write failures.
#include "cli/cli_run.h"
#include "support/bmp_maker.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(quillon::RGBQUAD)

using namespace quillon;
using namespace quillon::test;

namespace {

// Computed from the byte order alone: a pixel is lit when its colour is the
// colour of the entry chosen, whichever entry it was drawn from.
QByteArray ExpectedFor(const BmpRecipe& recipe, bool inverse)
{
    const RgbValue on = ColourOf(recipe.colours[inverse ? 1 : 0]);
    return ExpectedListing([&](int x, int y) { return ColourOf(recipe.colours[recipe.index(x, y) ? 1 : 0]) == on; });
}

BmpRecipe Picture(unsigned seed, std::uint32_t infoSize = 40)
{
    BmpRecipe recipe = RandomPicture(seed);
    recipe.infoSize = infoSize;
    return recipe;
}

}  // namespace

class CliConvertTest : public QObject {
    Q_OBJECT
private slots:
    void writesListingBeside_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("listing");
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<bool>("inverse");
        QTest::addColumn<uint>("infoSize");
        QTest::addColumn<bool>("relative");  // given by name alone, from its own folder
        for (unsigned seed = 1; seed <= 3; ++seed) {
            QTest::addRow("seed %u, Normal", seed) << "logo.bmp"
                                                   << "lcd_logo.txt" << seed << false << 40u << false;
            QTest::addRow("seed %u, Inverse", seed) << "logo.bmp"
                                                    << "lcd_logo.txt" << seed << true << 40u << false;
        }
        QTest::newRow("upper-case extension") << "LOGO.BMP"
                                              << "lcd_LOGO.txt" << 4u << false << 40u << false;
        QTest::newRow(".bmp twice in the name") << "a.bmp.Bmp"
                                                << "lcd_a.txt.txt" << 5u << false << 40u << false;
        QTest::newRow("no .bmp in the name") << "logo.dib"
                                             << "lcd_logo.dib" << 6u << false << 40u << false;
        QTest::newRow("blanks and letters") << "Grüße neu.bmp"
                                            << "lcd_Grüße neu.txt" << 7u << true << 40u << false;
        QTest::newRow("108-byte header") << "v4.bmp"
                                         << "lcd_v4.txt" << 8u << false << 108u << false;
        QTest::newRow("124-byte header, Inverse") << "v5.bmp"
                                                  << "lcd_v5.txt" << 9u << true << 124u << false;
        QTest::newRow("name alone, Normal") << "logo.bmp"
                                            << "lcd_logo.txt" << 10u << false << 40u << true;
        QTest::newRow("name alone, Inverse") << "logo.bmp"
                                             << "lcd_logo.txt" << 11u << true << 40u << true;
    }
    void writesListingBeside()
    {
        QFETCH(QString, picture);
        QFETCH(QString, listing);
        QFETCH(unsigned, seed);
        QFETCH(bool, inverse);
        QFETCH(uint, infoSize);
        QFETCH(bool, relative);
        QTemporaryDir folder;
        const BmpRecipe recipe = Picture(seed, infoSize);
        QVERIFY(WriteFile(folder.filePath(picture), MakeBmp(recipe)));

        QStringList arguments{"convert"};
        if (inverse)
            arguments << "--inverse";
        arguments << (relative ? picture : folder.filePath(picture));
        const CliRun run = RunCli(arguments, folder.path());

        QVERIFY(run.started);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        const QString written = relative ? listing : folder.filePath(listing);
        QCOMPARE(run.out, QFile::encodeName(written) + "\n");
        QCOMPARE(FileBytes(folder.filePath(listing)), ExpectedFor(recipe, inverse));
        QCOMPARE(FolderEntries(folder.path()), Sorted({picture, listing}));  // no temporary file left
    }

    void colourTables_data()
    {
        QTest::addColumn<RGBQUAD>("first");
        QTest::addColumn<RGBQUAD>("second");
        QTest::addColumn<bool>("inverse");
        QTest::addColumn<QByteArray>("leftByte");  // pixels of entry 0 fill the left half
        QTest::addColumn<QByteArray>("rightByte");
        QTest::newRow("black, white: Normal lights black")
            << RGBQUAD{0, 0, 0, 0} << RGBQUAD{255, 255, 255, 0} << false << QByteArray("FFH") << QByteArray("00H");
        QTest::newRow("black, white: Inverse lights white")
            << RGBQUAD{0, 0, 0, 0} << RGBQUAD{255, 255, 255, 0} << true << QByteArray("00H") << QByteArray("FFH");
        QTest::newRow("same colour twice: all lit")
            << RGBQUAD{7, 8, 9, 0} << RGBQUAD{7, 8, 9, 0} << true << QByteArray("FFH") << QByteArray("FFH");
        QTest::newRow("reserved byte is no colour")
            << RGBQUAD{7, 8, 9, 1} << RGBQUAD{7, 8, 9, 2} << false << QByteArray("FFH") << QByteArray("FFH");
        QTest::newRow("blue and red told apart")
            << RGBQUAD{255, 0, 0, 0} << RGBQUAD{0, 0, 255, 0} << false << QByteArray("FFH") << QByteArray("00H");
    }
    void colourTables()
    {
        QFETCH(RGBQUAD, first);
        QFETCH(RGBQUAD, second);
        QFETCH(bool, inverse);
        QFETCH(QByteArray, leftByte);
        QFETCH(QByteArray, rightByte);
        QTemporaryDir folder;
        BmpRecipe recipe;
        recipe.colours = {first, second};
        recipe.index = [](int x, int) { return x < 61 ? 0 : 1; };
        QVERIFY(WriteFile(folder.filePath("t.bmp"), MakeBmp(recipe)));
        QStringList arguments{"convert", folder.filePath("t.bmp")};
        if (inverse)
            arguments << "--inverse";  // after the picture works as well
        const CliRun run = RunCli(arguments);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        const QByteArray listing = FileBytes(folder.filePath("lcd_t.txt"));
        QCOMPARE(listing, ExpectedFor(recipe, inverse));
        QCOMPARE(listing.mid(11, 3), leftByte);                                 // block 1: columns 0 to 60
        QCOMPARE(listing.mid(listing.indexOf("\r\n\r\n") + 15, 3), rightByte);  // block 2: columns 61 to 121
    }

    // A bad picture between two good ones: named on stderr, the others converted.
    void badPictureNamedOthersConverted_data()
    {
        QTest::addColumn<QString>("kind");  // "file" with these bytes, "none", "folder" or "pipe"
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("message");
        BmpRecipe compressed;
        compressed.compression = 1;
        const QByteArray unreadable = "cannot be read: ";
        const QByteArray Neither = "is neither a picture (PNG, GIF, JPEG, PNM or BMP) nor a table in a format this "
                                   "tool reads";
        // Every other BMP is artwork (tst_cli_artwork.cpp); a damaged one is named.
        QTest::newRow("no such file") << "none" << QByteArray() << unreadable + "No such file or directory";
        QTest::newRow("a folder") << "folder" << QByteArray() << unreadable + "It is a folder, not a picture file.";
        // Opening a named pipe would wait for a writer: the run would hang instead.
        QTest::newRow("a named pipe") << "pipe" << QByteArray()
                                      << unreadable + "It is a device, pipe or socket, not a picture file.";
        QTest::newRow("ten bytes, no BMP") << "file" << QByteArray(10, 'B')
                                           << Neither;
        QTest::newRow("a BMP cut after ten bytes")
            << "file" << MakeBmp(BmpRecipe{}).left(10)
            << unreadable + "the file ends before the picture does";
        QTest::newRow("text, no table") << "file" << QByteArray("just some notes\n", 16).repeated(8)
                                        << Neither;
        QTest::newRow("pixels cut short")
            << "file" << MakeBmp(BmpRecipe{}).left(100) << unreadable + "the file ends before the picture does";
        QTest::newRow("compressed") << "file" << MakeBmp(compressed)
                                    << unreadable + "a BMP of 1 bits a pixel with compression 1 is not supported";
    }
    void badPictureNamedOthersConverted()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, message);
        QTemporaryDir scratch;
        const QString bad = scratch.filePath("bad.bmp");
        if (kind == "file")
            QVERIFY(WriteFile(bad, bytes));
        if (kind == "folder")
            QVERIFY(QDir().mkdir(bad));
        if (kind == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(bad).constData(), 0600), 0);
        const BmpRecipe first = Picture(21), last = Picture(22);
        QVERIFY(WriteFile(scratch.filePath("first.bmp"), MakeBmp(first)));
        QVERIFY(WriteFile(scratch.filePath("last.bmp"), MakeBmp(last)));

        const CliRun run = RunCli({"convert", scratch.filePath("first.bmp"), bad, scratch.filePath("last.bmp")});

        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.ErrLines(), QByteArrayList({"quillon-cli: " + QFile::encodeName(bad) + ": " + message}));
        QCOMPARE(run.OutLines(), QByteArrayList({QFile::encodeName(scratch.filePath("lcd_first.txt")),
                                                 QFile::encodeName(scratch.filePath("lcd_last.txt"))}));
        QCOMPARE(FileBytes(scratch.filePath("lcd_first.txt")), ExpectedFor(first, false));
        QCOMPARE(FileBytes(scratch.filePath("lcd_last.txt")), ExpectedFor(last, false));
        QVERIFY(!QFileInfo::exists(scratch.filePath("lcd_bad.txt")));
    }

    void convertAgainReplaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("short name") << "p.bmp";
        // The listing's name takes all 255 bytes a name may have; its temporary file's must fit too.
        QTest::newRow("longest listing name") << QString(247, 'p') + ".bmp";
    }
    void convertAgainReplaces()
    {
        QFETCH(QString, name);
        QTemporaryDir folder;
        const QString picture = folder.filePath(name);
        const QString listing = folder.filePath("lcd_" + QString(name).replace(".bmp", ".txt"));
        QVERIFY(WriteFile(listing, QByteArray(5000, 'x')));  // longer than a listing
        QVERIFY(WriteFile(picture, MakeBmp(Picture(31))));
        QCOMPARE(RunCli({"convert", picture}).exitCode, 0);
        QCOMPARE(FileBytes(listing), ExpectedFor(Picture(31), false));
        QVERIFY(WriteFile(picture, MakeBmp(Picture(32))));
        QCOMPARE(RunCli({"convert", picture}).exitCode, 0);
        QCOMPARE(FileBytes(listing), ExpectedFor(Picture(32), false));
        QCOMPARE(FolderEntries(folder.path()).size(), 2);  // no temporary file left
    }

    void writeFailureKeepsEarlierListing_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QByteArray>("reason");  // empty: whatever the file system says
        QTest::newRow("name the file system refuses") << QString(250, 'n') + ".bmp"
                                                      << "none" << QByteArray("cannot be written: File name too long");
        QTest::newRow("a folder of that name")
            << "f.bmp"
            << "folder" << QByteArray("cannot be written: A folder of that name is in the way.");
    }
    void writeFailureKeepsEarlierListing()
    {
        QFETCH(QString, picture);
        QFETCH(QString, obstacle);
        QFETCH(QByteArray, reason);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath(picture), MakeBmp(Picture(41))));
        QVERIFY(WriteFile(folder.filePath("ok.bmp"), MakeBmp(Picture(42))));
        const QString listing = folder.filePath("lcd_" + QString(picture).replace(".bmp", ".txt"));
        const QByteArray earlier = "        DB 00H;\r\n";
        if (obstacle == "file")
            QVERIFY(WriteFile(listing, earlier));
        if (obstacle == "folder")
            QVERIFY(QDir().mkdir(listing));
        const QStringList before = FolderEntries(folder.path());

        const CliRun run = RunCli({"convert", folder.filePath(picture), folder.filePath("ok.bmp")});

        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.ErrLines().size(), 1);
        const QByteArray prefix = "quillon-cli: " + QFile::encodeName(listing) + ": ";
        QVERIFY2(run.ErrLines()[0].startsWith(prefix + "cannot be written: "), run.err.constData());
        // The system's words, such as "File name too long", are Wine's own on Windows.
        if (!reason.isEmpty() && !(OnWindows() && obstacle == "none"))
            QCOMPARE(run.ErrLines()[0], prefix + reason);
        QCOMPARE(run.OutLines(), QByteArrayList({QFile::encodeName(folder.filePath("lcd_ok.txt"))}));
        QCOMPARE(FolderEntries(folder.path()), Sorted(before + QStringList{"lcd_ok.txt"}));
        if (obstacle != "none" && obstacle != "folder")
            QCOMPARE(FileBytes(listing), earlier);
    }

    void outputToStdout_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("inverse");
        QTest::newRow("--output -, Normal") << "--output" << false;
        QTest::newRow("--output -, Inverse") << "--output" << true;
        QTest::newRow("-o -") << "-o" << false;
    }
    void outputToStdout()
    {
        QFETCH(QString, option);
        QFETCH(bool, inverse);
        QTemporaryDir folder;
        const BmpRecipe recipe = Picture(51);
        QVERIFY(WriteFile(folder.filePath("s.bmp"), MakeBmp(recipe)));
        QStringList arguments{"convert", option, "-", folder.filePath("s.bmp")};
        if (inverse)
            arguments << "--inverse";
        const CliRun run = RunCli(arguments);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, ExpectedFor(recipe, inverse));  // the listing alone, CR LF kept
        QCOMPARE(FolderEntries(folder.path()), QStringList({"s.bmp"}));
    }

    void outputToStdoutOfBadPicture()
    {
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("w.bmp"), MakeBmp(BmpRecipe{}).left(100)));
        const CliRun run = RunCli({"convert", "--output", "-", folder.filePath("w.bmp")});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err, "quillon-cli: " + QFile::encodeName(folder.filePath("w.bmp")) +
                              ": cannot be read: the file ends before the picture does\n");
    }

    void outputToFile_data()
    {
        QTest::addColumn<QString>("output");  // relative to the scratch folder
        QTest::addColumn<bool>("earlier");
        QTest::newRow("new file in another folder") << "firmware/logo.inc" << false;
        QTest::newRow("replacing an earlier file") << "logo.inc" << true;
    }
    void outputToFile()
    {
        QFETCH(QString, output);
        QFETCH(bool, earlier);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath("firmware"));
        const BmpRecipe recipe = Picture(61);
        QVERIFY(WriteFile(folder.filePath("logo.bmp"), MakeBmp(recipe)));
        if (earlier)
            QVERIFY(WriteFile(folder.filePath(output), "old"));
        const CliRun run = RunCli({"convert", "--inverse", "--output", output, "logo.bmp"}, folder.path());
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QFile::encodeName(output) + "\n");
        QCOMPARE(FileBytes(folder.filePath(output)), ExpectedFor(recipe, true));
        QVERIFY(!QFileInfo::exists(folder.filePath("lcd_logo.txt")));
    }
};

QTEST_GUILESS_MAIN(CliConvertTest)
#include "tst_cli_convert.moc"
