// The main window and quillon-cli, given the same picture file, write the same
// listing byte for byte; a picture the window refuses, the tool takes as artwork.
#include "support/bmp_maker.h"
#include "support/gui_helpers.h"

#ifdef QUILLON_CLI_PATH
#include "cli/cli_run.h"
#endif

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

class CliMatchesWindowTest : public QObject {
    Q_OBJECT
private slots:
    void sameListing_data()
    {
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<bool>("inverse");
        for (unsigned seed = 1; seed <= 4; ++seed) {
            const QByteArray bytes = MakeBmp(RandomPicture(seed));
            QTest::addRow("seed %u, Normal", seed) << bytes << false;
            QTest::addRow("seed %u, Inverse", seed) << bytes << true;
        }
        for (const std::uint32_t infoSize : {108u, 124u}) {
            BmpRecipe recipe = RandomPicture(10 + infoSize);
            recipe.infoSize = infoSize;
            QTest::addRow("%u-byte header", infoSize) << MakeBmp(recipe) << true;
        }
        BmpRecipe same = RandomPicture(5);
        same.colours = {RGBQUAD{1, 2, 3, 0}, RGBQUAD{1, 2, 3, 9}};
        QTest::newRow("one colour twice") << MakeBmp(same) << false;
        QByteArray padded = MakeBmp(RandomPicture(6));
        for (int row = 0; row < 32; ++row)
            padded[62 + 16 * row + 15] = static_cast<char>(padded[62 + 16 * row + 15] | 0x3F);
        QTest::newRow("padding bits set") << padded << true;
    }
    void sameListing()
    {
#ifndef QUILLON_CLI_PATH
        QSKIP("quillon-cli is not built (QUILLON_CLI is OFF)");
#else
        QFETCH(QByteArray, picture);
        QFETCH(bool, inverse);
        MainWindow main;
        main.Pick("Pic.bmp", picture);
        if (inverse)
            QTest::mouseClick(main.form.InverseOption, Qt::LeftButton);
        QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        const QByteArray fromWindow = FileBytes(main.scratch.filePath("lcd_Pic.txt"));
        QCOMPARE(fromWindow.size(), 2760);

        QTemporaryDir elsewhere;
        QVERIFY(WriteFile(elsewhere.filePath("Pic.bmp"), picture));
        QStringList arguments{"convert", elsewhere.filePath("Pic.bmp")};
        if (inverse)
            arguments << "--inverse";
        const CliRun run = RunCli(arguments);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(FileBytes(elsewhere.filePath("lcd_Pic.txt")), fromWindow);
        QCOMPARE(RunCli(arguments + QStringList{"--output", "-"}).out, fromWindow);
#endif
    }

    // A picture the window refuses with its message box is artwork to the tool,
    // fitted onto the dots and converted.
    void windowRefusesToolConverts_data()
    {
        QTest::addColumn<QByteArray>("picture");
        BmpRecipe wide;
        wide.width = 200;
        BmpRecipe deep;
        deep.bitCount = 8;
        QTest::newRow("200 x 32") << MakeBmp(wide);
        QTest::newRow("8 bits a pixel") << MakeBmp(deep);
    }
    void windowRefusesToolConverts()
    {
#ifndef QUILLON_CLI_PATH
        QSKIP("quillon-cli is not built (QUILLON_CLI is OFF)");
#else
        QFETCH(QByteArray, picture);
        MainWindow main;
        BoxSeen box;
        {
            const auto watch = RecordNextBox(box);
            main.Pick("Big.bmp", picture);
            QTRY_VERIFY(box.shown);
        }
        QCOMPARE(box.title, QStringLiteral("Picture Size Error"));

        const CliRun run = RunCli({"convert", main.scratch.filePath("Big.bmp")});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFileInfo::exists(main.scratch.filePath("lcd_Big.txt")));
#endif
    }

    // The one difference: the window also asks Qt's image loader, which the tool
    // cannot load. A picture only that loader refuses is converted by the tool alone.
    void loaderOnlyRefusal()
    {
#ifndef QUILLON_CLI_PATH
        QSKIP("quillon-cli is not built (QUILLON_CLI is OFF)");
#else
        BmpRecipe noSignature = RandomPicture(8);
        noSignature.type = 0x5858;  // "XX" where "BM" belongs
        MainWindow main;
        BoxSeen box;
        {
            const auto watch = RecordNextBox(box);
            main.Pick("Sig.bmp", MakeBmp(noSignature));
            QTRY_VERIFY(box.shown);
        }
        QCOMPARE(box.title, QStringLiteral("Picture Read Error"));
        QVERIFY(!main.form.ConvertButton->isEnabled());

        const CliRun run = RunCli({"convert", main.scratch.filePath("Sig.bmp")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(FileBytes(main.scratch.filePath("lcd_Sig.txt")),
                 ExpectedListing([&](int x, int y) { return noSignature.index(x, y) == 0; }));
#endif
    }
};

QTEST_MAIN(CliMatchesWindowTest)
#include "tst_cli_matches_window_gui.moc"
