// The Convert command through the main window: the listing on disk, the
// progress a user watches, the status, and failures that lose nothing.
#include "app/path_text.h"
#include "support/bmp_maker.h"
#include "support/gui_helpers.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(quillon::RGBQUAD)

using namespace quillon;
using namespace quillon::test;

namespace {

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// Records the caption of a label each time it is really painted.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QLabel* label) : label_(label) { label->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == label_ && event->type() == QEvent::Paint)
            captions << label_->text();
        return false;
    }
    QStringList captions;

private:
    QLabel* label_;
};

// The captions painted, repeats and the reset "0" left out.
QStringList Counted(const QStringList& painted)
{
    QStringList counted;
    for (const QString& caption : painted) {
        if (caption != QLatin1String("0") && (counted.isEmpty() || counted.last() != caption))
            counted << caption;
    }
    return counted;
}

QStringList OneToHundred()
{
    QStringList expected;
    for (int k = 1; k <= 100; ++k)
        expected << QString::number(k);
    return expected;
}

void Convert(MainWindow& main)
{
    QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
}

}  // namespace

class Form1ConvertTest : public QObject {
    Q_OBJECT
private slots:
    // Real picture files in, listings out, checked against the byte order alone.
    void endToEnd_data()
    {
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<bool>("inverse");
        for (unsigned seed = 1; seed <= 4; ++seed) {
            QTest::addRow("seed %u, Normal", seed) << seed << false;
            QTest::addRow("seed %u, Inverse", seed) << seed << true;
        }
    }
    void endToEnd()
    {
        QFETCH(unsigned, seed);
        QFETCH(bool, inverse);
        MainWindow main;
        const BmpRecipe recipe = RandomPicture(seed);
        main.Pick("Pic.bmp", MakeBmp(recipe));
        if (inverse)
            QTest::mouseClick(main.form.InverseOption, Qt::LeftButton);
        Convert(main);
        const QString listing = main.scratch.filePath("lcd_Pic.txt");
        QCOMPARE(Contents(listing),
                 ExpectedListing([&](int x, int y) { return recipe.index(x, y) == (inverse ? 1 : 0); }));
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        QCOMPARE(main.form.OutFileValue->text(), listing);
        QCOMPARE(main.form.ProgressPer->text(), QStringLiteral("100"));
        QCOMPARE(main.form.ConvertStatus, QStringLiteral("S"));
        QVERIFY(main.form.PreviewButton->isEnabled());
        QCOMPARE(main.form.InverseOption->isChecked(), inverse);  // the choice survives
        QCOMPARE(Entries(main.scratch.path()), QStringList({"Pic.bmp", "lcd_Pic.txt"}));
    }

    void colourTables_data()
    {
        QTest::addColumn<RGBQUAD>("first");
        QTest::addColumn<RGBQUAD>("second");
        QTest::addColumn<QByteArray>("normalByte");
        QTest::addColumn<QByteArray>("inverseByte");
        // Pixels of index 0 in the left half, index 1 in the right half.
        QTest::newRow("black first: black pixels lit")
            << RGBQUAD{0, 0, 0, 0} << RGBQUAD{255, 255, 255, 0} << QByteArray("FFH") << QByteArray("00H");
        QTest::newRow("equal entries: all lit")
            << RGBQUAD{9, 9, 9, 0} << RGBQUAD{9, 9, 9, 0} << QByteArray("FFH") << QByteArray("FFH");
        QTest::newRow("reserved byte differs only")
            << RGBQUAD{9, 9, 9, 1} << RGBQUAD{9, 9, 9, 2} << QByteArray("FFH") << QByteArray("FFH");
    }
    void colourTables()
    {
        QFETCH(RGBQUAD, first);
        QFETCH(RGBQUAD, second);
        QFETCH(QByteArray, normalByte);
        QFETCH(QByteArray, inverseByte);
        MainWindow main;
        BmpRecipe recipe;
        recipe.colours = {first, second};
        recipe.index = [](int x, int) { return x < 61 ? 0 : 1; };
        main.Pick("t.bmp", MakeBmp(recipe));
        for (const bool inverse : {false, true}) {
            (inverse ? main.form.InverseOption : main.form.NormalOption)->setChecked(true);
            Convert(main);
            const QByteArray listing = Contents(main.scratch.filePath("lcd_t.txt"));
            QCOMPARE(listing.size(), 2760);
            QCOMPARE(listing.mid(11, 3), inverse ? inverseByte : normalByte);  // first byte of block 1
        }
    }

    void progressRepaintsWhileRunning()
    {
        MainWindow main;
        main.Pick("p.bmp", MakeBmp(RandomPicture(3)));
        for (int run = 1; run <= 2; ++run) {  // a second run counts up again
            PaintWatch watch(main.form.ProgressPer);
            Convert(main);
            QCOMPARE(Counted(watch.captions), OneToHundred());
        }
    }

    void convertTwiceRewrites_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::newRow("short name") << "p.bmp";
        // The listing's name takes all 255 bytes a name may have; its temporary file's must fit too.
        QTest::newRow("longest listing name") << QString(247, 'n') + ".bmp";
    }
    void convertTwiceRewrites()
    {
        QFETCH(QString, picture);
        MainWindow main;
        main.Pick(picture, MakeBmp(RandomPicture(5)));
        Convert(main);
        const QByteArray first = Contents(ShownPath(main.state.OutputPath));
        QCOMPARE(first.size(), 2760);
        Convert(main);
        QCOMPARE(Contents(ShownPath(main.state.OutputPath)), first);
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        QCOMPARE(Entries(main.scratch.path()).size(), 2);  // the picture and its listing, no temporary file
    }

    void listingNamedAfterAcceptedPicture()
    {
        MainWindow main;
        QVERIFY(WriteFile(main.scratch.filePath("other.bmp"), MakeBmp(RandomPicture(1))));
        main.Pick("mine.bmp", MakeBmp(RandomPicture(2)));
        QVERIFY(ClickName(main.form.File1, "other.bmp"));
        main.Browse(QDir::rootPath());
        Convert(main);
        QCOMPARE(main.form.OutFileValue->text(), main.scratch.filePath("lcd_mine.txt"));
        QVERIFY(QFile::exists(main.scratch.filePath("lcd_mine.txt")));
        QVERIFY(!QFile::exists(main.scratch.filePath("lcd_other.txt")));
    }

    void failureLosesNothing_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("obstacle");  // what stands at the listing's place
        QTest::newRow("name taken by a folder") << "f.bmp"
                                                << "folder";
        QTest::newRow("a link to nothing") << "f.bmp"
                                           << "dangling link";
        QTest::newRow("the picture itself, through a link") << "f.bmp"
                                                            << "link to the picture";
        QTest::newRow("folder removed since the picture was read") << "f.bmp"
                                                                   << "gone";
        QTest::newRow("name the file system refuses") << QString(250, 'n') + ".bmp"
                                                      << "";
    }
    void failureLosesNothing()
    {
        QFETCH(QString, picture);
        QFETCH(QString, obstacle);
        MainWindow main;
        main.Pick(picture, MakeBmp(RandomPicture(6)));
        const QString listing = ShownPath(main.state.OutputPath);
        QVERIFY(!listing.isEmpty());
        if (obstacle == "folder")
            QVERIFY(QDir().mkdir(listing));
        if (obstacle == "dangling link")
            QVERIFY(QFile::link(main.scratch.filePath("elsewhere.txt"), listing));
        if (obstacle == "link to the picture")
            QVERIFY(QFile::link(main.scratch.filePath(picture), listing));
        if (obstacle == "gone")
            QVERIFY(QDir(main.scratch.path()).removeRecursively());
        const QStringList before = Entries(main.scratch.path());
        const QByteArray pictureBefore = Contents(main.scratch.filePath(picture));

        BoxSeen box;
        const auto watch = RecordNextBox(box);
        Convert(main);
        QVERIFY(box.shown);
        QCOMPARE(box.title, QStringLiteral("Listing Write Error"));
        QVERIFY2(box.text.contains(listing), qPrintable(box.text));
        QCOMPARE(main.form.ConvertStatus, QStringLiteral("F"));
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Failed"));
        QVERIFY(main.form.OutFileValue->text().isEmpty());
        QVERIFY(!main.form.PreviewButton->isEnabled());
        QCOMPARE(main.form.ProgressPer->text(), QStringLiteral("0"));  // failed before the picture was walked
        QCOMPARE(Entries(main.scratch.path()), before);
        QCOMPARE(Contents(main.scratch.filePath(picture)), pictureBefore);
        // The window goes on working.
        QVERIFY(main.form.ConvertButton->isEnabled());
    }
};

QTEST_MAIN(Form1ConvertTest)
#include "tst_form1_convert.moc"
