// quillon-cli convert --check, run as a process: fresh listings pass, stale and
// missing ones are named and fail the run, and nothing is ever written.
#include "cli/cli_run.h"
#include "support/bmp_maker.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace quillon;
using namespace quillon::test;

namespace {

QByteArray ListingOf(unsigned seed, bool inverse)
{
    const BmpRecipe recipe = RandomPicture(seed);
    return ExpectedListing([&](int x, int y) { return recipe.index(x, y) == (inverse ? 1 : 0); });
}

}  // namespace

class CliCheckTest : public QObject {
    Q_OBJECT
private slots:
    void onePicture_data()
    {
        QTest::addColumn<QByteArray>("onDisk");  // what lies at lcd_p.txt
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("inverse");  // --check --inverse
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("message");  // after "quillon-cli: <listing>: "
        const QByteArray fresh = ListingOf(7, false);
        const QByteArray stale = "out of date; it differs from what <picture> gives";
        QByteArray oneBit = fresh;
        oneBit[11] = oneBit[11] == '0' ? '1' : '0';
        QByteArray lowerCase = fresh;
        lowerCase.replace('H', 'h');
        QTest::newRow("fresh") << fresh << true << false << 0 << QByteArray();
        QTest::newRow("fresh, Inverse") << ListingOf(7, true) << true << true << 0 << QByteArray();
        QTest::newRow("written Normal, checked Inverse") << fresh << true << true << 1 << stale;
        QTest::newRow("one digit differs") << oneBit << true << false << 1 << stale;
        QTest::newRow("one byte longer") << fresh + "\n" << true << false << 1 << stale;
        QTest::newRow("last byte missing") << fresh.chopped(1) << true << false << 1 << stale;
        QTest::newRow("LF line ends") << QByteArray(fresh).replace("\r\n", "\n") << true << false << 1 << stale;
        QTest::newRow("lower-case letters") << lowerCase << true << false << 1 << stale;
        QTest::newRow("empty file") << QByteArray() << true << false << 1 << stale;
        QTest::newRow("missing") << QByteArray() << false << false << 1
                                 << QByteArray("missing; it would be written from <picture>");
    }
    void onePicture()
    {
        QFETCH(QByteArray, onDisk);
        QFETCH(bool, present);
        QFETCH(bool, inverse);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, message);
        QTemporaryDir folder;
        const QString picture = folder.filePath("p.bmp");
        const QString listing = folder.filePath("lcd_p.txt");
        QVERIFY(WriteFile(picture, MakeBmp(RandomPicture(7))));
        if (present)
            QVERIFY(WriteFile(listing, onDisk));
        const QDateTime modified = QFileInfo(listing).lastModified();
        const QStringList before = FolderEntries(folder.path());

        QStringList arguments{"convert", "--check", picture};
        if (inverse)
            arguments << "--inverse";
        const CliRun run = RunCli(arguments);

        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, QByteArray());
        if (message.isEmpty())
            QCOMPARE(run.err, QByteArray());
        else
            QCOMPARE(run.err, "quillon-cli: " + QFile::encodeName(listing) + ": " +
                                  message.replace("<picture>", QFile::encodeName(picture)) + "\n");
        // Nothing written, nothing touched.
        QCOMPARE(FolderEntries(folder.path()), before);
        if (present) {
            QCOMPARE(FileBytes(listing), onDisk);
            QCOMPARE(QFileInfo(listing).lastModified(), modified);
        }
    }

    // Every stale or missing listing is named; a bad picture outweighs them.
    void manyPictures_data()
    {
        QTest::addColumn<bool>("withRejected");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("stale and missing") << false << 1;
        QTest::newRow("stale, missing and a rejected picture") << true << 2;
    }
    void manyPictures()
    {
        QFETCH(bool, withRejected);
        QFETCH(int, exitCode);
        QTemporaryDir folder;
        QStringList pictures;
        for (const char* name : {"fresh", "stale", "missing", "fresh2"}) {
            pictures << folder.filePath(QString::fromLatin1(name) + ".bmp");
            QVERIFY(WriteFile(pictures.last(), MakeBmp(RandomPicture(static_cast<unsigned>(pictures.size())))));
        }
        QCOMPARE(RunCli(QStringList{"convert"} + pictures).exitCode, 0);
        QVERIFY(QFile::remove(folder.filePath("lcd_missing.txt")));
        QVERIFY(WriteFile(folder.filePath("lcd_stale.txt"), ListingOf(99, false)));
        if (withRejected) {
            QVERIFY(WriteFile(folder.filePath("wide.bmp"), MakeBmp(BmpRecipe{}).left(100)));
            pictures.insert(1, folder.filePath("wide.bmp"));
        }
        const QStringList before = FolderEntries(folder.path());

        const CliRun run = RunCli(QStringList{"convert", "--check"} + pictures);

        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, QByteArray());
        QByteArrayList expected;
        if (withRejected)
            expected << "quillon-cli: " + QFile::encodeName(folder.filePath("wide.bmp")) +
                            ": cannot be read: the file ends before the picture does";
        expected << "quillon-cli: " + QFile::encodeName(folder.filePath("lcd_stale.txt")) +
                        ": out of date; it differs from what " + QFile::encodeName(folder.filePath("stale.bmp")) +
                        " gives";
        expected << "quillon-cli: " + QFile::encodeName(folder.filePath("lcd_missing.txt")) +
                        ": missing; it would be written from " + QFile::encodeName(folder.filePath("missing.bmp"));
        QCOMPARE(run.ErrLines(), expected);
        QCOMPARE(FolderEntries(folder.path()), before);
    }

    void againstOutputFile_data()
    {
        QTest::addColumn<bool>("fresh");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("up to date") << true << 0;
        QTest::newRow("out of date") << false << 1;
    }
    void againstOutputFile()
    {
        QFETCH(bool, fresh);
        QFETCH(int, exitCode);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("p.bmp"), MakeBmp(RandomPicture(3))));
        QVERIFY(WriteFile(folder.filePath("logo.inc"), ListingOf(fresh ? 3 : 4, true)));
        const CliRun run = RunCli({"convert", "--check", "--inverse", "-o", "logo.inc", "p.bmp"}, folder.path());
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.err.startsWith("quillon-cli: logo.inc: out of date;"), !fresh);
        QCOMPARE(FolderEntries(folder.path()), QStringList({"logo.inc", "p.bmp"}));  // no lcd_p.txt either
    }

    void listingThatCannotBeRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("a folder") << "folder" << QByteArray("It is a folder, not a listing.");
        QTest::newRow("a named pipe") << "pipe" << QByteArray("It is a device, pipe or socket, not a listing.");
    }
    void listingThatCannotBeRead()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, message);
        if (kind == "pipe")
            QUILLON_SKIP_ON_WINDOWS("Wine opens a Unix named pipe as a file that has no end yet");
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("p.bmp"), MakeBmp(RandomPicture(3))));
        if (kind == "folder")
            QVERIFY(QDir(folder.path()).mkdir("lcd_p.txt"));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath("lcd_p.txt")).constData(), 0600), 0);
        const CliRun run = RunCli({"convert", "--check", "p.bmp"}, folder.path());
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err, "quillon-cli: lcd_p.txt: cannot be read: " + message + "\n");
    }
};

QTEST_GUILESS_MAIN(CliCheckTest)
#include "tst_cli_check.moc"
