// The preview window reading back a listing that was replaced after Convert
// by something hostile: it answers or paints within the display, never hangs,
// and shows the right picture again once the listing is written anew.
#include "app/path_text.h"
#include "app/form2.h"
#include "support/bmp_maker.h"
#include "support/gui_helpers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <random>

using namespace quillon;
using namespace quillon::test;

namespace {

const QColor Green(0, 128, 0);

// Show must answer, not hang: a 10 MB line takes a fraction of a second, some
// twenty times that with the sanitizers, more on a busy machine.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 NoHang = 60000;
#else
constexpr qint64 NoHang = 5000;
#endif
const QColor Black(0, 0, 0);

// Dots only in the display's 122 x 32 corner, nothing else painted; returns how many.
int DotsInCorner(const QImage& dots, QString& why)
{
    const QRgb background = dots.pixel(dots.width() - 1, dots.height() - 1);
    int painted = 0;
    for (int y = 0; y < dots.height(); ++y) {
        for (int x = 0; x < dots.width(); ++x) {
            const QRgb pixel = dots.pixel(x, y);
            if (pixel == background)
                continue;
            if (x >= 122 || y >= 32 || (QColor(pixel) != Green && QColor(pixel) != Black)) {
                why = QStringLiteral("(%1, %2) painted %3").arg(x).arg(y).arg(QColor(pixel).name());
                return -1;
            }
            ++painted;
        }
    }
    return painted;
}

QByteArray Garbage(unsigned seed, qsizetype size)
{
    std::mt19937 generator(seed);
    QByteArray bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator());
    return bytes;
}

}  // namespace

class HostileListingsGuiTest : public QObject {
    Q_OBJECT
private slots:
    void replacedListing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("answered");  // a "Listing Read Error" box instead of dots
        QTest::addColumn<int>("painted");    // dots shown; -1: any number
        constexpr qsizetype Size = 10 * 1024 * 1024;
        QTest::newRow("10 MB in one line") << "file"
                                           << "        DB " + QByteArray("A5H,").repeated(Size / 4) << false << 3904;
        QTest::newRow("10 MB of empty lines") << "file" << QByteArray("\r\n").repeated(Size / 2) << false << 0;
        QTest::newRow("binary garbage") << "file" << Garbage(7, 100000) << false << -1;
        QTest::newRow("only the first block")
            << "file" << ExpectedListing([](int, int) { return true; }).left(1380) << false << 61 * 32;
        QTest::newRow("named pipe") << "named pipe" << QByteArray() << true << 0;
        // Put there between the look at the file and its opening, as a racing program could.
        QTest::newRow("named pipe as it is opened") << "pipe at the opening" << QByteArray() << true << 0;
        QTest::newRow("symlink loop") << "symlink loop" << QByteArray() << true << 0;
        QTest::newRow("dangling symlink") << "dangling symlink" << QByteArray() << true << 0;
    }
    void replacedListing()
    {
        QFETCH(QString, how);
        QFETCH(QByteArray, contents);
        QFETCH(bool, answered);
        QFETCH(int, painted);
        MainWindow main;
        const BmpRecipe recipe = RandomPicture(12);
        main.Pick("p.bmp", MakeBmp(recipe));
        QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
        const QString listing = ShownPath(main.state.OutputPath);
        const QByteArray local = QFile::encodeName(listing);
        QVERIFY(QFile::remove(listing));
        if (how == "file")
            QVERIFY(WriteFile(listing, contents));
        else if (how == "named pipe")
            QVERIFY(::mkfifo(local.constData(), 0644) == 0);
        else if (how == "pipe at the opening")
            QVERIFY(WriteFile(listing, ExpectedListing([](int, int) { return true; })));
        else if (how == "symlink loop")
            QVERIFY(QFile::link(listing + ".2", listing) && QFile::link(listing, listing + ".2"));
        else
            QVERIFY(QFile::link(main.scratch.filePath("gone/lcd_p.txt"), listing));

        BoxSeen box;
        qint64 took = 0;
        int shown = -3;
        QString why;
        WithPreview(main, [&](Form2& preview) {
            const auto watch = RecordNextBox(box);
            if (how == "pipe at the opening")
                qputenv("QUILLON_SWAP_FOR_FIFO", local);
            QElapsedTimer clock;
            clock.start();
            QTest::mouseClick(preview.ShowButton, Qt::LeftButton);
            took = clock.elapsed();
            qunsetenv("QUILLON_SWAP_FOR_FIFO");
            shown = DotsInCorner(PaintedDots(preview), why);
        });
        QVERIFY2(took < NoHang, qPrintable(QStringLiteral("Show took %1 ms").arg(took)));
        QVERIFY2(shown >= 0, qPrintable(why));
        QCOMPARE(box.shown, answered);
        if (answered) {
            QCOMPARE(box.title, QStringLiteral("Listing Read Error"));
            QVERIFY2(box.text.contains(listing), qPrintable(box.text));
        }
        if (painted >= 0)
            QCOMPARE(shown, painted);

        // Converted again, the listing is shown as the picture is.
        QVERIFY(QFile::remove(listing));
        QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        WithPreview(main, [&](Form2& preview) {
            QTest::mouseClick(preview.ShowButton, Qt::LeftButton);
            const QImage dots = PaintedDots(preview);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 122; ++x)
                    QCOMPARE(dots.pixelColor(x, y), recipe.index(x, y) == 0 ? Black : Green);
        });
    }
};

QTEST_MAIN(HostileListingsGuiTest)
#include "tst_hostile_listings_gui.moc"
