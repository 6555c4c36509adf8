// quillon-cli's command line, run as a process: help and version, usage errors
// with exit code 64 that write nothing, and no GUI library in the process.
#include "cli/cli_run.h"
#include "support/bmp_maker.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

namespace {

// A folder with two good pictures, so that a command line wrongly taken as
// valid would show up as listings written.
struct Pictures {
    Pictures()
    {
        WriteFile(folder.filePath("p.bmp"), MakeBmp(RandomPicture(1)));
        WriteFile(folder.filePath("q.bmp"), MakeBmp(RandomPicture(2)));
    }
    QTemporaryDir folder;
};

}  // namespace

class CliUsageTest : public QObject {
    Q_OBJECT
private slots:
    void helpAndVersion_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArrayList>("shown");  // lines or parts of lines stdout must hold
        const QByteArrayList exitCodes{"Exit codes:", "\n  0   all good", "\n  1   --check found",
                                       "\n  2   a file was refused", "\n  64  the command line was not understood"};
        QTest::newRow("--help") << QStringList{"--help"}
                                << QByteArrayList{"Usage: quillon-cli", "\n  convert ", "\n  preview "} + exitCodes;
        QTest::newRow("-h") << QStringList{"-h"} << QByteArrayList{"Usage: quillon-cli", "\n  convert "} + exitCodes;
        QTest::newRow("convert --help") << QStringList{"convert", "--help"}
                                        << QByteArrayList{"Usage: quillon-cli convert ",
                                                          "INPUT",
                                                          "--inverse",
                                                          "--check",
                                                          "-o,--output FILE",
                                                          "--format",
                                                          "--label",
                                                          "--quiet",
                                                          "lcd_<stem>.a51",
                                                          "Put -- before names"} +
                                               exitCodes;
        QTest::newRow("help after pictures writes nothing")
            << QStringList{"convert", "p.bmp", "q.bmp", "--help"} << QByteArrayList{"--inverse"};
        QTest::newRow("preview --help") << QStringList{"preview", "--help"}
                                        << QByteArrayList{"Usage: quillon-cli preview ", "FILE", "'#' set",
                                                          "'.' clear"} +
                                               exitCodes;
        QTest::newRow("--version") << QStringList{"--version"} << QByteArrayList{"quillon-cli " QUILLON_VERSION "\n"};
    }
    void helpAndVersion()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArrayList, shown);
        Pictures pictures;
        const CliRun run = RunCli(arguments, pictures.folder.path());
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        for (const QByteArray& part : shown)
            QVERIFY2(run.out.contains(part), qPrintable("missing \"" + part + "\" in:\n" + run.out));
        QCOMPARE(FolderEntries(pictures.folder.path()), QStringList({"p.bmp", "q.bmp"}));
    }

    // Every help, the commands' too (as --help lists them), fits 80 columns.
    void helpFitsEightyColumns()
    {
        const CliRun top = RunCli({"--help"});
        QStringList commands{""};
        bool listed = false;
        for (const QByteArray& line : top.OutLines()) {
            listed = line == "Subcommands:" || (listed && !line.isEmpty());
            if (listed && line.startsWith("  "))
                commands << QString::fromLatin1(line.trimmed().split(' ').first());
        }
        QVERIFY2(commands.size() > 4, top.out.constData());
        for (const QString& command : commands) {
            const CliRun run = RunCli(command.isEmpty() ? QStringList{"--help"} : QStringList{command, "--help"});
            for (const QByteArray& line : run.OutLines())
                QVERIFY2(line.size() <= 80, qPrintable(command + " --help: " + line));
        }
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("told");     // part of the first line on stderr
        QTest::addColumn<QByteArray>("helpFor");  // the command whose --help is pointed to
        QTest::newRow("no arguments") << QStringList{} << QByteArray("subcommand is required") << QByteArray("");
        QTest::newRow("unknown command")
            << QStringList{"frob", "p.bmp"}
            << QByteArray("frob is not a command; the commands are convert, preview, text, font, glass and formats")
            << QByteArray("");
        QTest::newRow("option before the command")
            << QStringList{"--inverse", "convert", "p.bmp"} << QByteArray("--inverse") << QByteArray(" convert");
        QTest::newRow("convert without pictures")
            << QStringList{"convert"} << QByteArray("INPUT is required") << QByteArray(" convert");
        QTest::newRow("unknown option") << QStringList{"convert", "--bogus", "p.bmp"} << QByteArray("--bogus")
                                        << QByteArray(" convert");
        QTest::newRow("a picture named like an option")
            << QStringList{"convert", "-x.bmp"}
            << QByteArray("-x.bmp is not an option; a name that begins with - goes after --, as in: convert -- -x.bmp")
            << QByteArray(" convert");
        QTest::newRow("--output for two pictures")
            << QStringList{"convert", "-o", "x.txt", "p.bmp", "q.bmp"}
            << QByteArray("--output: takes the file of exactly one input, not 2") << QByteArray(" convert");
        QTest::newRow("--output without its file")
            << QStringList{"convert", "p.bmp", "--output"} << QByteArray("--output") << QByteArray(" convert");
        QTest::newRow("--output empty") << QStringList{"convert", "--output", "", "p.bmp"}
                                        << QByteArray("--output: needs a file name, or - for standard output")
                                        << QByteArray(" convert");
        QTest::newRow("--check of standard output")
            << QStringList{"convert", "--check", "--output", "-", "p.bmp"}
            << QByteArray("--output: - cannot be checked; give the file's name") << QByteArray(" convert");
        QTest::newRow("preview without listing")
            << QStringList{"preview"} << QByteArray("FILE is required") << QByteArray(" preview");
        QTest::newRow("unknown format") << QStringList{"convert", "--format", "hex", "p.bmp"} << QByteArray("hex")
                                        << QByteArray(" convert");
        QTest::newRow("label of a format without one")
            << QStringList{"convert", "--label", "logo", "p.bmp"}
            << QByteArray("--label: the listing format has no place for a label") << QByteArray(" convert");
        QTest::newRow("label that is a register")
            << QStringList{"convert", "-f", "a51", "--label", "DPTR", "p.bmp"}
            << QByteArray(
                   "--label: \"DPTR\" is no label: letters, digits and _, not first a digit, at most 31 "
                   "characters, no keyword or register name; DPTR_ would do")
            << QByteArray(" convert");
        QTest::newRow("label with a space")
            << QStringList{"convert", "-f", "c", "--label", "my logo", "p.bmp"}
            << QByteArray(
                   "--label: \"my logo\" is no label: letters, digits and _, not first a digit, at most "
                   "31 characters, no keyword or register name; my_logo would do")
            << QByteArray(" convert");
        QTest::newRow("standard input without --output")
            << QStringList{"convert", "-"} << QByteArray("- (standard input) needs --output") << QByteArray(" convert");
        // A NaN passes every range check; a clock or a time of NaN ran forever.
        for (const char* option : {"--clock", "--seconds", "--busy-time", "--reset-time"}) {
            QTest::addRow("glass %s nan", option)
                << QStringList{"glass", option, "nan", "fw.ihx"} << QByteArray(option) + ": Value nan is not a number"
                << QByteArray(" glass");
        }
        QTest::newRow("preview of two listings")
            << QStringList{"preview", "a.txt", "b.txt"} << QByteArray("b.txt") << QByteArray(" preview");
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, told);
        QFETCH(QByteArray, helpFor);
        Pictures pictures;
        const CliRun run = RunCli(arguments, pictures.folder.path());
        QCOMPARE(run.exitCode, 64);
        QCOMPARE(run.out, QByteArray());
        const QByteArrayList lines = run.ErrLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith("quillon-cli: ") && lines[0].contains(told), run.err.constData());
        QCOMPARE(lines[1], "Run 'quillon-cli" + helpFor + " --help' for more information.");
        QCOMPARE(FolderEntries(pictures.folder.path()), QStringList({"p.bmp", "q.bmp"}));
    }

    // A build job or container has no Qt: the tool needs none of its libraries,
    // neither in its dynamic section nor loaded later while it runs.
    // quillon-cli links no Qt, and a run maps only the libraries its files
    // need: the picture codecs and FreeType are loaded on first use.
    void mapsOnlyWhatItNeeds_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArrayList>("mapped");
        QTest::addColumn<QByteArrayList>("absent");
        const QByteArrayList codecs{"libspng", "libz.so", "libgif", "libjpeg", "libfreetype"};
        QTest::newRow("convert a BMP") << QStringList{"convert", "p.bmp"} << QByteArrayList{"libc.so"} << codecs;
        QTest::newRow("preview a listing")
            << QStringList{"preview", "lcd_p.txt"} << QByteArrayList{"libc.so"} << codecs;
        QTest::newRow("convert a PNG") << QStringList{"convert", "p.png"} << QByteArrayList{"libspng.so.0", "libz.so"}
                                       << QByteArrayList{"libgif", "libjpeg", "libfreetype"};
    }
    void mapsOnlyWhatItNeeds()
    {
        QUILLON_SKIP_ON_WINDOWS("readelf and LD_DEBUG read Linux programs; build-windows checks the .exe's DLLs");
        QFETCH(QStringList, arguments);
        QFETCH(QByteArrayList, mapped);
        QFETCH(QByteArrayList, absent);
        QProcess readelf;
        readelf.start("readelf", {"--dynamic", CliPath()});
        QVERIFY2(readelf.waitForFinished(10000) && readelf.exitCode() == 0, "readelf (binutils) did not run");
        const QByteArray dynamic = readelf.readAllStandardOutput();
        QVERIFY2(dynamic.contains("(NEEDED)"), dynamic.constData());
        QVERIFY2(!dynamic.contains("libQt"), dynamic.constData());

        Pictures pictures;
        QCOMPARE(RunCli({"convert", "p.bmp"}, pictures.folder.path()).exitCode, 0);
        QCOMPARE(RunCli({"preview", "p.bmp", "--png", "p.png"}, pictures.folder.path()).exitCode, 0);
        QProcessEnvironment traced;
        traced.insert("LD_DEBUG", "files");  // the loader names every library it maps, opened later too
        const CliRun run = RunCli(arguments, pictures.folder.path(), traced);
        QCOMPARE(run.exitCode, 0);
        for (const QByteArray& library : mapped)
            QVERIFY2(run.err.contains(library), (library + " not mapped:\n" + run.err).constData());
        for (const QByteArray& library : absent + QByteArrayList{"libQt"})
            QVERIFY2(!run.err.contains(library), (library + " mapped:\n" + run.err).constData());
    }

    // A conversion touches little memory however much it may read: a file's
    // start is read into a buffer that grows with it (one of the 16 MiB it
    // may read made a plain conversion's peak 19 MiB). GNU time reads the
    // peak: a child spawned by this test would count the test's own memory.
    void smallFilesTakeLittleMemory()
    {
        QUILLON_SKIP_ON_WINDOWS("GNU time measures a Linux process");
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer's shadow memory is most of a sanitized run's");
#endif
        Pictures pictures;
        QCOMPARE(RunCli({"preview", "p.bmp", "--png", "p.png"}, pictures.folder.path()).exitCode, 0);
        for (const char* input : {"p.bmp", "p.png"}) {
            QProcess time;
            time.start("/usr/bin/time",
                       {"-f", "%M", CliPath(), "convert", "-o", "/dev/null", pictures.folder.filePath(input)});
            QVERIFY2(time.waitForFinished(20000) && time.exitCode() == 0, "GNU time (package time) did not run");
            const int kilobytes = time.readAllStandardError().trimmed().split('\n').last().toInt();
            QVERIFY2(kilobytes > 0 && kilobytes < 8 * 1024, qPrintable(QStringLiteral("%1 KiB").arg(kilobytes)));
        }
    }
};

QTEST_GUILESS_MAIN(CliUsageTest)
#include "tst_cli_usage.moc"
