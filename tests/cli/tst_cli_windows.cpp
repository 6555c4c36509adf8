// quillon-cli.exe under Wine (built in only when the tool under test is the
// Windows build): the same files as the Linux build writes, Windows paths
// (drive letters, forward slashes, UNC shares, a drive's root, names beyond
// the ANSI code page), and an earlier listing kept when a write fails.
#include "cli/cli_run.h"
#include "formats/formats.h"
#include "support/bmp_maker.h"
#include "support/magick.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

namespace {

// Pictures whose names exercise the listing name: case, ".bmp" twice, none,
// letters beyond ASCII.
const QStringList Pictures{"logo.bmp", "LOGO2.BMP", "a.bmp.Bmp", "plain.dib", "Grüße ☺.bmp"};

// ImageMagick's variants of a photograph larger than the display, with a
// transparent margin and a half-transparent block (initTestCase), for the
// picture libraries; the names tell the listings apart.
const QList<std::pair<QString, QStringList>> Drawn = {
    {"png32:png-rgba.png", {}},
    {"png48:png-rgb16.png", {"-alpha", "off"}},
    {"png-grey1.png", {"-colorspace", "Gray", "-alpha", "off", "-threshold", "50%", "-depth", "1"}},
    {"png-grey-alpha.png", {"-colorspace", "Gray", "-type", "GrayscaleAlpha"}},
    {"png8:png-palette-trns.png", {}},
    {"png-interlaced.png", {"-interlace", "PNG"}},
    {"gif-interlaced.gif", {"-interlace", "GIF"}},
    {"pnm-p1.pbm", {"-compress", "none"}},
    {"pnm-p5.pgm", {}},
    {"pnm-p6-16.ppm", {"-depth", "16"}},
    {"pnm-p7.pam", {}},
    {"bmp3:bmp-4.bmp", {"-alpha", "off", "-colors", "12", "-depth", "4"}},
    {"bmp3:bmp-rle8.bmp", {"-alpha", "off", "-type", "Palette", "-compress", "RLE"}},
    {"bmp:bmp-32-alpha.bmp", {"-type", "TrueColorAlpha"}},
    {"bmp:bmp-565.bmp", {"-alpha", "off", "-define", "bmp:subtype=RGB565"}},
    {"jpeg-colour.jpg", {"-alpha", "off"}},
    {"jpeg-cmyk.jpg", {"-alpha", "off", "-colorspace", "CMYK"}},
    {"jpeg-progressive.jpg", {"-alpha", "off", "-interlace", "JPEG"}},
    // 12.8 million pixels: decoded at half size by libjpeg's DCT scaling
    {"jpeg-large.jpg", {"-alpha", "off", "-resize", "4000x3200!"}},
};

// Every file in a folder and its bytes.
QMap<QString, QByteArray> Contents(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : FolderEntries(folder))
        files.insert(name, FileBytes(folder + "/" + name));
    return files;
}

// The Linux build, built beside the tests.
CliRun RunLinux(const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(QUILLON_CLI_PATH), arguments);
    CliRun run;
    run.started = process.waitForStarted(10000);
    run.started = run.started && process.waitForFinished(30000);
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A Unix path as Windows names it on Wine's drive Z:.
QString OnDriveZ(const QString& path)
{
    return "Z:" + QString(path).replace('/', '\\');
}

// Makes `link` in Wine's dosdevices lead to `folder`: a drive ("q:") or a
// share ("unc/quillon/share"). Wine has no SMB client; its UNC paths go
// through these links, so \\quillon\share is a share to Windows programs.
bool LinkInPrefix(const QString& link, const QString& folder)
{
    const QString path = qEnvironmentVariable("QUILLON_WINEPREFIX") + "/dosdevices/" + link;
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    return QFile::link(folder, path);
}

}  // namespace

class CliWindowsTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir pictures_;  // made once; each run converts copies
    QStringList drawn_;

    // Both builds convert copies of the pictures, each in a folder of its own.
    void SameFiles(const QStringList& arguments, const QStringList& names)
    {
        QTemporaryDir linux, windows;
        for (const QString& name : names)
            QVERIFY(QFile::copy(pictures_.filePath(name), linux.filePath(name)) &&
                    QFile::copy(pictures_.filePath(name), windows.filePath(name)));
        const CliRun fromLinux = RunLinux(arguments + names, linux.path());
        const CliRun fromWindows = RunCli(arguments + names, windows.path());
        QVERIFY2(fromLinux.exitCode == 0, fromLinux.err.constData());
        QCOMPARE(fromWindows.err, fromLinux.err);
        QCOMPARE(fromWindows.exitCode, 0);
        const auto expected = Contents(linux.path());
        QCOMPARE(expected.size(), 2 * names.size());
        QCOMPARE(Contents(windows.path()), expected);
    }

private slots:
    void initTestCase()
    {
        if (!OnWindows())
            QSKIP("for quillon-cli.exe under Wine: scripts/build-windows --test");
        unsigned seed = 70;
        for (const QString& name : Pictures)
            QVERIFY(WriteFile(pictures_.filePath(name), MakeBmp(RandomPicture(seed++))));
        const QStringList photo = QString(
                                      "rose: -resize 240x90! -alpha set ( -size 60x40 xc:#3060C080 ) -geometry "
                                      "+10+10 -compose Copy -composite -background none -gravity center "
                                      "-extent 260x100 -depth 8")
                                      .split(' ');
        for (const auto& [output, arguments] : Drawn) {
            const QString name = output.section(':', -1), format = output.chopped(name.size());
            QVERIFY(!Convert(photo + arguments + QStringList{format + pictures_.filePath(name)}).isNull());
            drawn_ << name;
        }
        // Three frames, the second disposed to the background, the third drawn over what is left.
        const QString frames =
            "-size 160x48 xc:white ( -size 60x30 xc:red -set page +10+5 ) ( -size 50x40 xc:blue "
            "-set page +70+4 -set dispose Background ) ( -size 30x20 xc:lime -set page +100+20 )";
        QVERIFY(!Convert(frames.split(' ') + QStringList{pictures_.filePath("anim.gif")}).isNull());
    }

    // The batch file of docs/windows.md, run by Wine's cmd as written but for a stand-in
    // assembler: it builds when the pictures are good, and stops with exit
    // code 1 before the assembler when one is refused.
    void readmeBatchFile_data()
    {
        QTest::addColumn<bool>("goodPictures");
        QTest::newRow("good pictures") << true;
        QTest::newRow("a picture refused") << false;
    }
    void readmeBatchFile()
    {
        QFETCH(bool, goodPictures);
        const QByteArray readme = FileBytes(QStringLiteral(QUILLON_SOURCE_DIR "/docs/windows.md"));
        const qsizetype start = readme.indexOf("```bat\n");
        QVERIFY2(start >= 0, "docs/windows.md shows no batch file");
        QByteArray batch = readme.mid(start + 7, readme.indexOf("```", start + 7) - start - 7);
        QVERIFY(batch.contains("tools\\quillon-cli.exe convert") && batch.contains("tools\\a51.exe"));
        batch.replace("tools\\a51.exe", "tools\\a51.cmd").replace("\n", "\r\n");

        QTemporaryDir folder;
        QDir dir(folder.path());
        QVERIFY(dir.mkdir("tools") && dir.mkdir("art"));
        QVERIFY(QFile::copy(CliPath(), dir.filePath("tools/quillon-cli.exe")));
        QVERIFY(WriteFile(dir.filePath("art/logo.bmp"), MakeBmp(RandomPicture(80))));
        QVERIFY(WriteFile(dir.filePath("art/splash.bmp"),
                          goodPictures ? MakeBmp(RandomPicture(81)) : QByteArray("not a picture")));
        QVERIFY(WriteFile(dir.filePath("main.a51"), "        END\r\n"));
        QVERIFY(WriteFile(dir.filePath("tools/a51.cmd"),
                          "@echo off\r\nif not exist art\\lcd_logo.txt exit /b 1\r\n"
                          "if not exist art\\lcd_splash.txt exit /b 1\r\n"
                          "echo assembled>main.hex\r\n"));
        QVERIFY(WriteFile(dir.filePath("build.bat"), batch));

        CliCall call{{"/c", "build.bat"}, folder.path()};
        call.command = QStringList{"cmd"};
        const CliRun run = RunCli(call);
        QCOMPARE(run.exitCode, goodPictures ? 0 : 1);
        QCOMPARE(QFile::exists(dir.filePath("main.hex")), goodPictures);
        QCOMPARE(QFile::exists(dir.filePath("art/lcd_logo.txt")), true);
        if (!goodPictures)
            QVERIFY2(run.err.contains("splash.bmp"), run.err.constData());
    }

    // The same pictures give the same files, byte for byte, from both builds:
    // every format, beside the pictures and on standard output; exact BMPs and
    // pictures of every kind, which the .exe decodes with its own build of the
    // picture libraries.
    void sameFilesAsLinuxBuild_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("names");
        const QStringList all = Pictures + drawn_;
        for (const Format& each : Formats()) {
            const QString format = QString::fromLatin1(each.name);
            QTest::newRow(qPrintable(format)) << QStringList{"--format", format} << all;
        }
        QTest::newRow("listing, Inverse") << QStringList{"--inverse"} << all;
        QTest::newRow("a51 with a label") << QStringList{"-f", "a51", "--label", "Logo_1"} << all;
        for (const char* dither : {"floyd-steinberg", "atkinson", "bayer"})
            QTest::addRow("%s, cover", dither) << QStringList{"--dither", dither, "--fit", "cover"} << drawn_;
        for (const char* frame : {"0", "2"})
            QTest::addRow("GIF frame %s", frame)
                << QStringList{"--frame", frame, "--dither", "atkinson"} << QStringList{"anim.gif"};
    }
    void sameFilesAsLinuxBuild()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, names);
        SameFiles(QStringList{"convert", "--quiet"} + options, names);

        const QStringList toStdout = QStringList{"convert", "-o", "-"} + options + names.mid(0, 1);
        const CliRun linuxOut = RunLinux(toStdout, pictures_.path());
        QVERIFY(!linuxOut.out.isEmpty());
        QCOMPARE(RunCli(toStdout, pictures_.path()).out, linuxOut.out);
    }

    // preview --png encodes with the .exe's own libspng and zlib.
    void samePreviewPng() { SameFiles({"preview", "--png", "dots.png", "--dither", "atkinson"}, {"png-rgba.png"}); }

    // A picture named in any way Windows names files: its listing is written
    // beside it and named folder + "\lcd_" + name, as the tool always named it.
    void windowsPaths_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("picture");
        for (const char* how :
             {"drive letter", "forward slashes", "relative", "UNC share", "UNC, forward slashes", "drive root"}) {
            QTest::addRow("%s", how) << how << "pic.bmp";
            QTest::addRow("%s, non-ASCII", how) << how << "Grüße ☺.bmp";
        }
    }
    void windowsPaths()
    {
        QFETCH(QString, how);
        QFETCH(QString, picture);
        QTemporaryDir folder;
        const BmpRecipe recipe = RandomPicture(90);
        QVERIFY(WriteFile(folder.filePath(picture), MakeBmp(recipe)));
        const QString listing = "lcd_" + QString(picture).replace(".bmp", ".txt");

        QString given;  // the picture as the user names it
        QString shown;  // the listing as the tool names it
        if (how == "drive letter") {
            given = OnDriveZ(folder.filePath(picture));
            shown = OnDriveZ(folder.path()) + "\\" + listing;
        } else if (how == "forward slashes") {
            given = "Z:" + folder.filePath(picture);
            shown = "Z:" + folder.path() + "\\" + listing;
        } else if (how == "relative") {
            given = "./" + picture;
            shown = ".\\" + listing;
        } else if (how.startsWith("UNC")) {
            QVERIFY(LinkInPrefix("unc/quillon/share", folder.path()));
            given = "\\\\quillon\\share\\" + picture;
            shown = "\\\\quillon\\share\\" + listing;
            if (how.contains("forward")) {
                given = "//quillon/share/" + picture;
                shown = "//quillon/share\\" + listing;
            }
        } else if (how == "drive root") {
            // Drive Q: is the folder; at its root the two separators stand as
            // the tool has always written them, and Windows reads them as one.
            QVERIFY(LinkInPrefix("q:", folder.path()));
            given = "Q:\\" + picture;
            shown = "Q:\\\\" + listing;
        }

        const CliRun run = RunCli(CliCall{.arguments = {"convert", given}, .folder = folder.path(), .asPrinted = true});

        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, shown.toUtf8() + "\n");
        QCOMPARE(FileBytes(folder.filePath(listing)),
                 ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 0; }));
        QCOMPARE(FolderEntries(folder.path()), Sorted({picture, listing}));
        const CliRun check = RunCli({"convert", "--check", given}, folder.path());
        QCOMPARE(check.err, QByteArray());
        QCOMPARE(check.exitCode, 0);
    }

    // A write that fails leaves the earlier listing as it was, and no
    // temporary file; the other pictures are converted all the same.
    void earlierListingSurvivesFailedWrite_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QByteArray>("reason");  // empty: the system's words, which Wine and Windows word apart
        QTest::newRow("read-only earlier listing") << "read-only" << QByteArray();
        QTest::newRow("a folder of that name") << "folder" << QByteArray("A folder of that name is in the way.");
        QTest::newRow("a folder, named with a drive letter")
            << "folder, drive letter" << QByteArray("A folder of that name is in the way.");
    }
    void earlierListingSurvivesFailedWrite()
    {
        QFETCH(QString, obstacle);
        QFETCH(QByteArray, reason);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("f.bmp"), MakeBmp(RandomPicture(91))));
        QVERIFY(WriteFile(folder.filePath("ok.bmp"), MakeBmp(RandomPicture(92))));
        const QString listing = folder.filePath("lcd_f.txt");
        const QByteArray earlier = "        DB 00H;\r\n";
        if (obstacle == "read-only") {
            QVERIFY(WriteFile(listing, earlier));
            QVERIFY(QFile::setPermissions(listing, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        } else {
            QVERIFY(QDir().mkdir(listing));
        }
        const QStringList before = FolderEntries(folder.path());
        const bool drive = obstacle.contains("drive");
        const QString picture = drive ? OnDriveZ(folder.filePath("f.bmp")) : folder.filePath("f.bmp");

        const CliRun run =
            RunCli(CliCall{.arguments = {"convert", picture, folder.filePath("ok.bmp")}, .asPrinted = true});

        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.ErrLines().size(), 1);
        const QByteArray prefix =
            "quillon-cli: " + (drive ? OnDriveZ(folder.path()) : folder.path()).toUtf8() + "\\lcd_f.txt: ";
        QVERIFY2(run.ErrLines()[0].startsWith(prefix + "cannot be written: "), run.err.constData());
        if (!reason.isEmpty())
            QCOMPARE(run.ErrLines()[0], prefix + "cannot be written: " + reason);
        QCOMPARE(run.OutLines(), QByteArrayList({folder.path().toUtf8() + "\\lcd_ok.txt"}));
        QCOMPARE(FolderEntries(folder.path()), Sorted(before + QStringList{"lcd_ok.txt"}));
        if (obstacle == "read-only")
            QCOMPARE(FileBytes(listing), earlier);
    }

    // NUL is Windows' null device: given with --output it is written into,
    // as a command prompt's "> NUL" would, and no file of that name appears.
    void givenNulIsWrittenInto_data()
    {
        QTest::addColumn<QString>("output");
        QTest::newRow("NUL") << "NUL";
        QTest::newRow("nul, lower case") << "nul";
        QTest::newRow("\\\\.\\NUL") << "\\\\.\\NUL";
    }
    void givenNulIsWrittenInto()
    {
        QFETCH(QString, output);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("pic.bmp"), MakeBmp(RandomPicture(93))));

        const CliRun run = RunCli({"convert", "-o", output, "pic.bmp"}, folder.path());

        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, output.toUtf8() + "\n");
        QCOMPARE(FolderEntries(folder.path()), QStringList{"pic.bmp"});
    }
};

QTEST_GUILESS_MAIN(CliWindowsTest)

#include "tst_cli_windows.moc"
