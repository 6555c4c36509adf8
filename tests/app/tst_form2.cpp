// The preview window: opened modally after a conversion, "Show" paints the
// listing read back from disk.
#include "app/path_text.h"
#include "app/form2.h"
#include "support/bmp_maker.h"
#include "support/gui_helpers.h"

#include <QApplication>
#include <QFile>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

namespace {

const QColor Green(0, 128, 0);
const QColor Black(0, 0, 0);

void Converted(MainWindow& main, const BmpRecipe& recipe)
{
    main.Pick("p.bmp", MakeBmp(recipe));
    QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
}

bool Unpainted(const QImage& image)
{
    const QRgb background = image.pixel(0, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 122; ++x)
            if (image.pixel(x, y) != background || QColor(background) == Green || QColor(background) == Black)
                return false;
    return true;
}

}  // namespace

class Form2Test : public QObject {
    Q_OBJECT
private slots:
    void window()
    {
        MainWindow main;
        Converted(main, RandomPicture(1));
        bool blocked = false;
        WithPreview(main, [&](Form2& preview) {
            QCOMPARE(preview.windowTitle(), QStringLiteral("LCD Preview"));
            QCOMPARE(preview.size(), QSize(290, 232));
            QVERIFY(preview.isModal());
            QCOMPARE(preview.parentWidget(), &main.form);
            QVERIFY(!preview.windowIcon().isNull());
            QCOMPARE(preview.LcdPic->geometry(), QRect(8, 0, 273, 185));
            QCOMPARE(preview.ShowButton->geometry(), QRect(96, 200, 105, 25));
            QCOMPARE(preview.ShowButton->text(), QStringLiteral("Show"));
            // The main window takes no input meanwhile: a click on Reset, delivered
            // as the window system would, does nothing.
            QCOMPARE(QGuiApplication::modalWindow(), preview.windowHandle());
            const QPoint reset = main.form.ResetButton->mapTo(&main.form, main.form.ResetButton->rect().center());
            QTest::mouseClick(main.form.windowHandle(), Qt::LeftButton, {}, reset);
            blocked = main.form.PreviewButton->isEnabled();
            // Escape, delivered through the window as a key press is, closes it.
            QVERIFY(preview.isVisible());
            QTest::keyClick(preview.windowHandle(), Qt::Key_Escape);
            QVERIFY(!preview.isVisible());
        });
        QVERIFY(blocked);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void showPaintsTheListing_data()
    {
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<bool>("inverse");
        for (unsigned seed = 21; seed <= 24; ++seed)
            QTest::addRow("seed %u", seed) << seed << (seed % 2 == 0);
    }
    void showPaintsTheListing()
    {
        QFETCH(unsigned, seed);
        QFETCH(bool, inverse);
        MainWindow main;
        const BmpRecipe recipe = RandomPicture(seed);
        main.Pick("p.bmp", MakeBmp(recipe));
        main.form.InverseOption->setChecked(inverse);
        QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
        WithPreview(main, [&](Form2& preview) {
            QTest::mouseClick(preview.ShowButton, Qt::LeftButton);
            const QImage dots = PaintedDots(preview);
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 122; ++x) {
                    const bool lit = recipe.index(x, y) == (inverse ? 1 : 0);
                    QCOMPARE(dots.pixelColor(x, y), lit ? Black : Green);
                }
            }
            // Nothing outside the 122 x 32 corner.
            QCOMPARE(dots.pixelColor(122, 0), dots.pixelColor(200, 100));
            QCOMPARE(dots.pixelColor(0, 32), dots.pixelColor(200, 100));
        });
    }

    void showTwiceAndReopen()
    {
        MainWindow main;
        Converted(main, RandomPicture(7));
        QImage once;
        WithPreview(main, [&](Form2& preview) {
            QVERIFY(Unpainted(PaintedDots(preview)));
            QTest::mouseClick(preview.ShowButton, Qt::LeftButton);
            once = PaintedDots(preview);
            QTest::mouseClick(preview.ShowButton, Qt::LeftButton);
            QCOMPARE(PaintedDots(preview), once);
        });
        Form2* first = main.form.PreviewWindow();
        QVERIFY(first);
        WithPreview(main, [&](Form2& preview) {
            QCOMPARE(&preview, first);  // one preview window for the process
            QVERIFY(Unpainted(PaintedDots(preview)));
            QTest::mouseClick(preview.ShowButton, Qt::LeftButton);
            QCOMPARE(PaintedDots(preview), once);
        });
    }

    void dotsSurviveBeingHidden()
    {
        MainWindow main;
        Converted(main, RandomPicture(8));
        WithPreview(main, [&](Form2& preview) {
            QTest::mouseClick(preview.ShowButton, Qt::LeftButton);
            const QImage before = PaintedDots(preview);
            preview.LcdPic->hide();
            preview.LcdPic->show();
            preview.LcdPic->repaint();
            QCOMPARE(PaintedDots(preview), before);
        });
    }

    void listingGoneAfterConvert_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("removed") << "removed";
        QTest::newRow("replaced by a folder") << "folder";
    }
    void listingGoneAfterConvert()
    {
        QFETCH(QString, how);
        MainWindow main;
        Converted(main, RandomPicture(9));
        const QString listing = ShownPath(main.state.OutputPath);
        QVERIFY(QFile::remove(listing));
        if (how == "folder")
            QVERIFY(QDir().mkdir(listing));
        BoxSeen box;
        WithPreview(main, [&](Form2& preview) {
            const auto watch = RecordNextBox(box);
            QTest::mouseClick(preview.ShowButton, Qt::LeftButton);
            QVERIFY(Unpainted(PaintedDots(preview)));
        });
        QVERIFY(box.shown);
        QCOMPARE(box.title, QStringLiteral("Listing Read Error"));
        QVERIFY2(box.text.contains(listing), qPrintable(box.text));
        QVERIFY(main.form.isVisible());
    }

    void emptyListingPaintsNothing()
    {
        MainWindow main;
        Converted(main, RandomPicture(10));
        QVERIFY(WriteFile(ShownPath(main.state.OutputPath), QByteArray()));
        WithPreview(main, [&](Form2& preview) {
            QTest::mouseClick(preview.ShowButton, Qt::LeftButton);
            QVERIFY(Unpainted(PaintedDots(preview)));
        });
    }
};

QTEST_MAIN(Form2Test)
#include "tst_form2.moc"
