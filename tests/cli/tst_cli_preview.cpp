// quillon-cli preview, run as a process: a listing's dots printed row by row,
// compared with the picture it was made from; lines and files it cannot read.
#include "cli/cli_run.h"
#include "support/bmp_maker.h"
#include "support/magick.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace quillon;
using namespace quillon::test;

namespace {

// The 32 text rows a listing of `lit` must print: '#' set, '.' clear.
QByteArrayList RowsOf(const std::function<bool(int x, int y)>& lit, int columns = 122)
{
    QByteArrayList rows;
    for (int y = 0; y < 32; ++y) {
        QByteArray row(122, ' ');
        for (int x = 0; x < columns; ++x)
            row[x] = lit(x, y) ? '#' : '.';
        rows << row;
    }
    return rows;
}

void CompareRows(const QByteArrayList& printed, const QByteArrayList& expected)
{
    QCOMPARE(printed.size(), expected.size());
    for (qsizetype y = 0; y < expected.size(); ++y)
        QVERIFY2(printed[y] == expected[y],
                 qPrintable(QStringLiteral("row %1:\n  printed  [%2]\n  expected [%3]")
                                .arg(y)
                                .arg(QString::fromLatin1(printed[y]), QString::fromLatin1(expected[y]))));
}

}  // namespace

class CliPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void showsThePicture_data()
    {
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<bool>("inverse");
        QTest::addColumn<QString>("form");  // how the listing on disk is spelled
        for (unsigned seed = 1; seed <= 3; ++seed) {
            QTest::addRow("seed %u, written by convert", seed) << seed << false << "convert";
            QTest::addRow("seed %u, Inverse, written by convert", seed) << seed << true << "convert";
        }
        QTest::newRow("computed listing") << 4u << false << "computed";
        QTest::newRow("LF line ends") << 5u << false << "LF";
        QTest::newRow("CR line ends") << 6u << true << "CR";
        QTest::newRow("lower-case letters") << 7u << false << "lower";
        QTest::newRow("listing on standard input") << 8u << false << "stdin";
        QTest::newRow("bin table on standard input") << 9u << true << "stdin bin";
    }
    void showsThePicture()
    {
        QFETCH(unsigned, seed);
        QFETCH(bool, inverse);
        QFETCH(QString, form);
        QTemporaryDir folder;
        const BmpRecipe recipe = RandomPicture(seed);
        const auto lit = [&](int x, int y) { return recipe.index(x, y) == (inverse ? 1 : 0); };
        const QString listing = folder.filePath("lcd_p.txt");
        if (form == "convert" || form == "stdin bin") {
            QVERIFY(WriteFile(folder.filePath("p.bmp"), MakeBmp(recipe)));
            QStringList arguments{"convert", folder.filePath("p.bmp")};
            if (inverse)
                arguments << "--inverse";
            QCOMPARE(RunCli(arguments).exitCode, 0);
        } else {
            QByteArray text = ExpectedListing(lit);
            if (form == "LF")
                text.replace("\r\n", "\n");
            if (form == "CR")
                text.replace("\r\n", "\r");
            if (form == "lower")
                text = text.toLower();
            QVERIFY(WriteFile(listing, text));
        }

        CliCall call{{"preview", listing}};
        if (form.startsWith("stdin")) {
            const QString piped = form == "stdin bin" ? folder.filePath("p.bin") : listing;
            if (piped != listing)
                QCOMPARE(RunCli({"convert", "-f", "bin", "-o", piped, listing}).exitCode, 0);
            call = CliCall{{"preview", "-"}};
            call.shell = QStringLiteral("exec \"$0\" \"$@\" <'%1'").arg(piped);
        }
        const CliRun run = RunCli(call);

        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        CompareRows(run.OutLines(), RowsOf(lit));
    }

    // Listings that are not whole: the dots they give, each problem named, exit code 2.
    void incompleteListings_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<int>("columns");              // columns painted from the left, the rest never painted
        QTest::addColumn<QByteArrayList>("problems");  // after "quillon-cli: <listing>"
        const auto allLit = [](int, int) { return true; };
        const QByteArray full = ExpectedListing(allLit);
        const QByteArray firstBlock = full.left(full.indexOf("\r\n\r\n") + 2);
        QTest::newRow("first block only")
            << firstBlock << 61 << QByteArrayList{": 1952 of 3904 dots were never painted (shown as blanks)"};
        // Line 2 is too short to cut; the walk carries on with line 3.
        QByteArray shortLine = full;
        shortLine.insert(shortLine.indexOf("\r\n") + 2, "DB 1;\r\n");
        QTest::newRow("a line too short")
            << shortLine << 122 << QByteArrayList{":2: too short for a listing line; skipped"};
        // Line 1 gets a ninth item of one digit, "0H", 4 bits: its 8 whole bytes are painted all the same.
        QByteArray halfByte = full;
        halfByte.insert(full.indexOf(";"), ",0H");
        QTest::newRow("part of a byte") << halfByte << 122
                                        << QByteArrayList{":1: ends in part of a byte; its last 4 bits are ignored"};
    }
    void incompleteListings()
    {
        QFETCH(QByteArray, listing);
        QFETCH(int, columns);
        QFETCH(QByteArrayList, problems);
        QTemporaryDir folder;
        const QString path = folder.filePath("lcd_x.txt");
        QVERIFY(WriteFile(path, listing));

        const CliRun run = RunCli({"preview", path});

        QCOMPARE(run.exitCode, 2);
        QByteArrayList expected;
        for (const QByteArray& problem : problems)
            expected << "quillon-cli: " + QFile::encodeName(path) + problem;
        QCOMPARE(run.ErrLines(), expected);
        CompareRows(run.OutLines(), RowsOf([](int, int) { return true; }, columns));
    }

    // --png - writes the picture to standard output, the same bytes as to a file.
    void pngToStandardOutput()
    {
        QTemporaryDir folder;
        const QString table = folder.filePath("lcd_x.txt");
        QVERIFY(WriteFile(table, ExpectedListing([](int x, int y) { return (x + y) % 3 == 0; })));
        QCOMPARE(RunCli({"preview", "--png", folder.filePath("x.png"), table}).exitCode, 0);
        const CliRun run = RunCli({"preview", "--png", "-", table});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, FileBytes(folder.filePath("x.png")));
        QVERIFY(run.out.startsWith("\x89PNG"));
        QVERIFY(!QFile::exists(folder.filePath("-")));
    }

    // A file that is neither a table nor a picture: one line, exit 2, no dots.
    void neitherTableNorPicture_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("message");
        const QByteArray neither = "is neither a picture (PNG, GIF, JPEG, PNM or BMP) nor a table in a format this "
                                   "tool reads";
        QTest::newRow("empty") << QByteArray() << QByteArray("is empty: neither a picture nor a table");
        QTest::newRow("text") << QByteArray("Shopping:\n- milk\n- bread\n") << neither;
        QTest::newRow("SVG") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"><rect width=\"9\"/></svg>\n")
                             << neither;
        QTest::newRow("WebP") << QByteArray("RIFF\x24\0\0\0WEBPVP8 \x18\0\0\0", 20) + QByteArray(24, '\x55')
                              << neither;
        QTest::newRow("TIFF") << Convert({"-size", "16x16", "xc:gray", "tiff:-"}) << neither;
    }
    void neitherTableNorPicture()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, message);
        QTemporaryDir folder;
        const QString path = folder.filePath("thing");
        QVERIFY(WriteFile(path, file));
        const CliRun run = RunCli({"preview", path});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.ErrLines(), QByteArrayList{"quillon-cli: " + QFile::encodeName(path) + ": " + message});
    }

    // A character that is no hexadecimal digit stays one character: its dot is
    // left unpainted and its line comes up short, so the walk ends a byte early.
    void foreignCharacters()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("lcd_x.txt");
        QByteArray listing = ExpectedListing([](int, int) { return false; });
        // Line 1 "0ZH,00H,..." decodes to "0000Z" and 56 zeros: 7 whole bytes, 5 bits left over;
        // its first byte "0000Z000" has the Z on row 3 (the group is taken from its last character).
        listing.replace(11, 2, "0Z");
        QVERIFY(WriteFile(path, listing));

        const CliRun run = RunCli({"preview", path});

        QCOMPARE(run.exitCode, 2);
        const QByteArray name = "quillon-cli: " + QFile::encodeName(path);
        QCOMPARE(run.ErrLines(), QByteArrayList({name + ":1: holds characters that are not hexadecimal digits; "
                                                        "their dots are left unpainted",
                                                 name + ": 9 of 3904 dots were never painted (shown as blanks)"}));
        QByteArrayList expected = RowsOf([](int, int) { return false; });
        expected[3][0] = ' ';
        for (int y = 24; y < 32; ++y)
            expected[y][121] = ' ';  // the last byte's place: the listing ran out one byte early
        CompareRows(run.OutLines(), expected);
    }

    void listingThatCannotBeRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("no such file") << "none" << QByteArray("cannot be read: No such file or directory");
        QTest::newRow("a folder") << "folder" << QByteArray("cannot be read: It is a folder, not a listing.");
        QTest::newRow("a named pipe") << "pipe"
                                      << QByteArray("cannot be read: It is a device, pipe or socket, not a listing.");
    }
    void listingThatCannotBeRead()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, message);
        QTemporaryDir scratch;
        const QString path = scratch.filePath("lcd_x.txt");
        if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        if (kind == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const CliRun run = RunCli({"preview", path});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err, "quillon-cli: " + QFile::encodeName(path) + ": " + message + "\n");
    }
};

QTEST_GUILESS_MAIN(CliPreviewTest)
#include "tst_cli_preview.moc"
