// Picking a picture in the main window: acceptance, rejection, unreadable files.
#include "app/path_text.h"
#include "intake/bitmap_reader.h"
#include "intake/listing_name.h"
#include "support/bmp_maker.h"
#include "support/gui_helpers.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

namespace {

const std::array<RGBQUAD, 2> Marked{RGBQUAD{1, 2, 3, 0}, RGBQUAD{4, 5, 6, 0}};
const std::array<RGBQUAD, 2> Other{RGBQUAD{200, 201, 202, 0}, RGBQUAD{7, 8, 9, 0}};

BmpRecipe Recipe(int width, int height, std::int16_t bits, std::uint32_t infoSize = 40)
{
    BmpRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.bitCount = bits;
    recipe.infoSize = infoSize;
    recipe.colours = Other;
    recipe.index = [](int x, int y) { return (x + y) % 3 == 0 ? 1 : 0; };
    return recipe;
}

void VerifyAccepted(const MainWindow& main, const QString& name)
{
    const Form1& form = main.form;
    QCOMPARE(form.HeightValue->text(), QStringLiteral("32"));
    QCOMPARE(form.WidthValue->text(), QStringLiteral("122"));
    QCOMPARE(form.ColorValue->text(), QStringLiteral("1 Bits  (2 Colors)"));
    QVERIFY(form.ConvertButton->isEnabled());
    QVERIFY(form.InverseOption->isEnabled());
    QVERIFY(form.NormalOption->isChecked());
    QVERIFY(!form.PreviewButton->isEnabled());
    QVERIFY(form.StatusValue->text().isEmpty());
    QVERIFY(form.OutFileValue->text().isEmpty());
    QCOMPARE(form.ProgressPer->text(), QStringLiteral("0"));
    QCOMPARE(form.ConvertStatus, QStringLiteral("F"));
    QCOMPARE(ShownPath(main.state.OutputPath),
             QDir(main.scratch.path()).filePath("lcd_" + ShownPath(ListingFileName(FilePath(name)))));
    QCOMPARE(form.PreviewPic->pixmap().size(), QSize(122, 32));
}

void VerifyCleared(const MainWindow& main)
{
    const Form1& form = main.form;
    QVERIFY(form.PreviewPic->pixmap().isNull());
    QVERIFY(form.HeightValue->text().isEmpty());
    QVERIFY(form.ColorValue->text().isEmpty());
    QVERIFY(!form.ConvertButton->isEnabled());
    QVERIFY(!form.InverseOption->isEnabled());
    QCOMPARE(form.ConvertStatus, QStringLiteral("F"));
    QVERIFY(main.state.OutputPath.empty());
}

}  // namespace

class Form1IntakeTest : public QObject {
    Q_OBJECT
private slots:
    void accepted_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("40-byte header") << MakeBmp(Recipe(122, 32, 1)) << "Logo.bmp";
        QTest::newRow("124-byte header") << MakeBmp(Recipe(122, 32, 1, 124)) << "LOGO.BMP";
        QTest::newRow("name with spaces and letters") << MakeBmp(Recipe(122, 32, 1)) << "Grüße Bild.bmp";
    }
    void accepted()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, name);
        MainWindow main;
        BoxSeen box;
        const auto watch = RecordNextBox(box);
        main.Pick(name, file);
        QVERIFY2(!box.shown, qPrintable(box.text));
        VerifyAccepted(main, name);
        QCOMPARE(ColourOf(main.form.Palette0), ColourOf(Other[0]));
        QCOMPARE(ColourOf(main.form.Palette1), ColourOf(Other[1]));
        QCOMPARE(main.state.InfoHeader.biWidth, 122);
        // What the window shows is the picture, pixel for pixel.
        const QImage shown = main.form.PreviewPic->pixmap().toImage();
        const BmpRecipe recipe = Recipe(122, 32, 1);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 122; ++x) {
                const RGBQUAD entry = Other[static_cast<std::size_t>(recipe.index(x, y))];
                QCOMPARE(shown.pixelColor(x, y), QColor(entry.rgbRed, entry.rgbGreen, entry.rgbBlue));
            }
        }
    }

    // quillon PICTURE: the lists at the picture's folder with its name
    // highlighted, and the picture read as a double-click reads it.
    void openedByName_data()
    {
        QTest::addColumn<QString>("name");     // written into the scratch folder
        QTest::addColumn<QByteArray>("file");  // its bytes; empty: no such file
        QTest::addColumn<bool>("relative");    // given relative to the working folder
        QTest::addColumn<QString>("box");      // the message shown, if any
        const QByteArray good = MakeBmp(Recipe(122, 32, 1));
        QTest::newRow("accepted") << "Logo.bmp" << good << false << "";
        QTest::newRow("accepted, relative") << "Grüße Bild.bmp" << good << true << "";
        QTest::newRow("refused") << "wide.bmp" << MakeBmp(Recipe(100, 32, 1)) << false << "Picture Size Error";
        QTest::newRow("missing") << "gone.bmp" << QByteArray() << true << "Picture Read Error";
        QTest::newRow("not a *.bmp name") << "logo.png" << good << false << "Picture Read Error";
    }
    void openedByName()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, file);
        QFETCH(bool, relative);
        QFETCH(QString, box);
        MainWindow main;
        if (!file.isEmpty())
            QVERIFY(WriteFile(main.scratch.filePath(name), file));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(main.scratch.path()));
        BoxSeen seen;
        {
            const auto watch = RecordNextBox(seen);
            main.form.OpenPicture(FilePath(relative ? name : main.scratch.filePath(name)));
        }
        QVERIFY(QDir::setCurrent(before));
        QCOMPARE(seen.shown ? seen.title : QString(), box);
        QCOMPARE(main.form.Dir1->Path(), main.scratch.path());
        QCOMPARE(main.form.File1->Path(), main.scratch.path());
        if (box.isEmpty())
            VerifyAccepted(main, name);
        else
            VerifyCleared(main);
        if (name.endsWith(".bmp") && !file.isEmpty())
            QCOMPARE(main.form.File1->FileName(), name);
    }

    void rejected_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("palettesReplaced");
        QTest::newRow("swapped 32x122") << MakeBmp(Recipe(32, 122, 1)) << true;
        QTest::newRow("top-down") << MakeBmp(Recipe(122, -32, 1)) << true;
        QTest::newRow("1-bit 100x32") << MakeBmp(Recipe(100, 32, 1)) << true;
        QTest::newRow("4-bit") << MakeBmp(Recipe(122, 32, 4)) << false;
        QTest::newRow("8-bit") << MakeBmp(Recipe(122, 32, 8)) << false;
        QTest::newRow("24-bit") << MakeBmp(Recipe(122, 32, 24)) << false;
    }
    void rejected()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, palettesReplaced);
        MainWindow main;
        BmpRecipe first = Recipe(122, 32, 1);
        first.colours = Marked;
        main.Pick("first.bmp", MakeBmp(first));
        VerifyAccepted(main, "first.bmp");

        BoxSeen box;
        bool pictureStillShown = false;
        const auto watch = WhenModal(
            [&](QWidget* modal) {
                auto* message = qobject_cast<QMessageBox*>(modal);
                box = {true, message->windowTitle(), message->text(), static_cast<int>(message->buttons().size()),
                       message->icon()};
                pictureStillShown = !main.form.PreviewPic->pixmap().isNull() && main.form.WidthValue->text() == "122";
            },
            "QMessageBox");
        main.Pick("second.bmp", file);
        QVERIFY(box.shown);
        QCOMPARE(box.title, QStringLiteral("Picture Size Error"));
        QCOMPARE(box.text, QStringLiteral("Picture Resolution is limit to 122 x 32 pixels (Width x Height) and \r\n"
                                          "2 Colors Bitmap."));
        QCOMPARE(box.buttons, 1);
        QCOMPARE(box.icon, int(QMessageBox::NoIcon));
        QVERIFY(pictureStillShown);
        VerifyCleared(main);
        QCOMPARE(ColourOf(main.form.Palette0), ColourOf(palettesReplaced ? Other[0] : Marked[0]));
        QCOMPARE(ColourOf(main.form.Palette1), ColourOf(palettesReplaced ? Other[1] : Marked[1]));
        // The rejected file's headers stay in the shared state.
        QVERIFY(!IsAcceptable(main.state.InfoHeader));
    }

    void unreadable_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("how");
        QTest::newRow("shorter than its headers") << MakeBmp(Recipe(122, 32, 1)).left(40) << "file";
        QTest::newRow("empty") << QByteArray() << "file";
        QTest::newRow("body cut short") << MakeBmp(Recipe(122, 32, 1)).left(100) << "file";
        BmpRecipe packed = Recipe(122, 32, 1);
        packed.compression = 1;
        QTest::newRow("compressed") << MakeBmp(packed) << "file";
        // Passes the size test, but the platform's loader will not show it.
        BmpRecipe other = Recipe(122, 32, 1);
        other.type = 0x5858;
        QTest::newRow("other signature") << MakeBmp(other) << "file";
        QTest::newRow("a folder named like a picture") << QByteArray() << "folder";
        QTest::newRow("removed after the list was filled") << MakeBmp(Recipe(122, 32, 1)) << "removed";
    }
    void unreadable()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, how);
        MainWindow main;
        main.Pick("good.bmp", MakeBmp(Recipe(122, 32, 1)));
        const QString path = main.scratch.filePath("bad.bmp");
        if (how == "folder")
            QVERIFY(QDir(main.scratch.path()).mkdir("bad.bmp"));
        else
            QVERIFY(WriteFile(path, file));
        main.form.File1->SetPath(main.scratch.path());
        if (how == "removed")
            QVERIFY(QFile::remove(path));
        BoxSeen box;
        const auto watch = RecordNextBox(box);
        if (how == "folder") {
            // The list never shows a folder; reading one is still answered.
            QCOMPARE(main.form.File1->findItems("bad.bmp", Qt::MatchExactly).size(), 0);
            main.form.File1->addItem("bad.bmp");
        }
        QVERIFY(DoubleClickName(main.form.File1, "bad.bmp"));
        QVERIFY(box.shown);
        QCOMPARE(box.title, QStringLiteral("Picture Read Error"));
        QVERIFY2(box.text.contains(path), qPrintable(box.text));
        VerifyCleared(main);
    }

    void singleClickChangesNothing()
    {
        MainWindow main;
        QVERIFY(WriteFile(main.scratch.filePath("b.bmp"), MakeBmp(Recipe(122, 32, 1))));
        main.Pick("a.bmp", MakeBmp(Recipe(122, 32, 1)));
        const QString listing = ShownPath(main.state.OutputPath);
        QVERIFY(ClickName(main.form.File1, "b.bmp"));
        VerifyAccepted(main, "a.bmp");
        QCOMPARE(ShownPath(main.state.OutputPath), listing);
    }

    void browsingChangesNothing()
    {
        MainWindow main;
        main.Pick("a.bmp", MakeBmp(Recipe(122, 32, 1)));
        main.Browse(QDir::rootPath());
        QCOMPARE(main.form.File1->Path(), QDir::rootPath());
        VerifyAccepted(main, "a.bmp");
    }

    void acceptedAgainAfterConversion()
    {
        MainWindow main;
        main.Pick("a.bmp", MakeBmp(Recipe(122, 32, 1)));
        main.form.InverseOption->setChecked(true);
        QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        QVERIFY(main.form.PreviewButton->isEnabled());
        QVERIFY(DoubleClickName(main.form.File1, "a.bmp"));
        VerifyAccepted(main, "a.bmp");
    }

    void resetThenSameNameAgain()
    {
        MainWindow main;
        main.Pick("a.bmp", MakeBmp(Recipe(122, 32, 1)));
        QTest::mouseClick(main.form.ResetButton, Qt::LeftButton);
        VerifyCleared(main);
        QCOMPARE(main.form.File1->FileName(), QStringLiteral("a.bmp"));
        QVERIFY(DoubleClickName(main.form.File1, "a.bmp"));
        VerifyAccepted(main, "a.bmp");
    }
};

QTEST_MAIN(Form1IntakeTest)
#include "tst_form1_intake.moc"
