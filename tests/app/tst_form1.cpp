// The main window as it starts, its browsing lists, Reset, Exit and the status.
#include "app/path_text.h"
#include "support/bmp_maker.h"
#include "support/gui_helpers.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStorageInfo>
#include <QTest>
#include <QTimer>

using namespace quillon;
using namespace quillon::test;

namespace {

QStringList Names(const QListWidget* list)
{
    QStringList names;
    for (int k = 0; k < list->count(); ++k)
        names << list->item(k)->text();
    return names;
}

// The state a fresh or cleared window shows.
void VerifyCleared(const Form1& form)
{
    QVERIFY(!form.ConvertButton->isEnabled());
    QVERIFY(!form.PreviewButton->isEnabled());
    QVERIFY(!form.InverseOption->isEnabled());
    QVERIFY(form.NormalOption->isChecked());
    QVERIFY(!form.InverseOption->isChecked());
    for (const QLabel* value : std::initializer_list<const QLabel*>{form.HeightValue, form.WidthValue, form.ColorValue,
                                                                    form.StatusValue, form.OutFileValue})
        QVERIFY2(value->text().isEmpty(), qPrintable(value->objectName()));
    QCOMPARE(form.ProgressPer->text(), QStringLiteral("0"));
    QVERIFY(form.PreviewPic->pixmap().isNull());
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void window()
    {
        MainWindow main;
        QCOMPARE(main.form.windowTitle(), QStringLiteral("Quillon-0.1"));
        QCOMPARE(main.form.size(), QSize(466, 545));
        QCOMPARE(main.form.minimumSize(), main.form.maximumSize());
        QVERIFY(!main.form.windowIcon().isNull());
        QCOMPARE(main.form.windowIcon().pixmap(16, 16).size(), QSize(16, 16));
        const QRect screen = main.form.screen()->availableGeometry();
        const QRect outer = main.form.frameGeometry();
        QVERIFY(qAbs(outer.center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(outer.center().y() - screen.center().y()) <= 1);
    }

    void freshState()
    {
        MainWindow main;
        VerifyCleared(main.form);
        QVERIFY(main.form.ConvertStatus.isEmpty());
        QVERIFY(main.state.OutputPath.empty());
        QVERIFY(main.form.ResetButton->isEnabled());
        QVERIFY(main.form.ExitButton->isEnabled());
        const QStringList notice = main.form.CopyRightLabel->text().split(QStringLiteral("\r\n"));
        QCOMPARE(notice.size(), 2);
        QCOMPARE(notice[0], QStringLiteral("Copyright (C) 2001-2002"));
        QVERIFY(notice[1].contains(QStringLiteral("Quillon")));
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("twips");
        const auto row = [](const char* name, const char* in, int l, int t, int w, int h) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(in) << QRect(l, t, w, h);
        };
        row("Drive1", "Form1", 960, 240, 2295, 315);
        row("Dir1", "Form1", 360, 900, 2895, 1665);
        row("File1", "Form1", 3480, 720, 3135, 1845);
        row("Frame1", "Form1", 360, 2640, 6255, 3015);
        row("HeightLabel", "Frame1", 480, 240, 615, 255);
        row("WidthLabel", "Frame1", 1920, 240, 615, 255);
        row("ColorLabel", "Frame1", 3480, 240, 495, 255);
        row("PreviewButton", "Form1", 4080, 6000, 855, 375);
        row("HeightValue", "Frame1", 1200, 240, 615, 285);
        row("WidthValue", "Frame1", 2640, 240, 615, 285);
        row("ColorValue", "Frame1", 4080, 240, 1935, 285);
        row("ConvertButton", "Form1", 3120, 6000, 855, 375);
        row("ResetButton", "Form1", 5520, 6000, 855, 375);
        row("CopyRightLabel", "Form1", 360, 7680, 6255, 495);
        row("DriverLabel", "Form1", 360, 240, 615, 255);
        row("DirLabel", "Form1", 360, 600, 975, 255);
        row("FileLabel", "Form1", 3480, 360, 1575, 255);
        row("ExitButton", "Form1", 5520, 6480, 855, 375);
        row("Frame2", "Form1", 360, 5640, 6255, 1935);
        row("InverseOption", "Frame2", 1560, 360, 975, 375);
        row("NormalOption", "Frame2", 480, 360, 975, 375);
        row("Frame3", "Frame2", 240, 120, 4575, 735);
        row("OutFileValue", "Frame2", 1320, 1440, 4695, 375);
        row("OutFileLabel", "Frame2", 360, 1440, 855, 255);
        row("ProgressLabel", "Frame2", 360, 1080, 735, 255);
        row("StatusLabel", "Frame2", 2400, 1080, 615, 255);
        row("PercentLabel", "Frame2", 1680, 1080, 255, 255);
        row("ProgressPer", "Frame2", 1200, 1080, 375, 255);
        row("StatusValue", "Frame2", 3120, 1080, 1095, 255);
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QRect, twips);
        MainWindow main;
        const auto* control = main.form.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget()->objectName(), container);
        QCOMPARE(control->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        QVERIFY(control->isVisible());
    }

    void thirtyControls()
    {
        MainWindow main;
        QStringList named;
        for (const QWidget* child : main.form.findChildren<QWidget*>()) {
            const QString name = child->objectName();
            if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
                named << name;
        }
        QCOMPARE(named.size(), 30);
    }

    void previewPicCentred()
    {
        MainWindow main;
        QCOMPARE(main.form.PreviewPic->parentWidget(), main.form.Frame1);
        QCOMPARE(main.form.PreviewPic->size(), QSize(127, 37));
        QCOMPARE(main.form.PreviewPic->pos() * 15, QPoint(2175, 1380));
    }

    void overlaps()
    {
        MainWindow main;
        // The command buttons lie over Frame2 and Frame3, the options over Frame3:
        // at their centres, they are what a click reaches.
        for (QWidget* control :
             {static_cast<QWidget*>(main.form.ConvertButton), static_cast<QWidget*>(main.form.PreviewButton),
              static_cast<QWidget*>(main.form.ResetButton), static_cast<QWidget*>(main.form.ExitButton)}) {
            const QPoint centre = control->mapTo(&main.form, control->rect().center());
            QCOMPARE(main.form.childAt(centre), control);
        }
        for (QWidget* option : {main.form.NormalOption, main.form.InverseOption}) {
            const QPoint centre = option->mapTo(&main.form, option->rect().center());
            QWidget* hit = main.form.childAt(centre);
            QVERIFY(hit == option || hit->parentWidget() == option);
        }
    }

    void readOutColours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("HeightValue") << "HeightValue" << QColor(0, 0, 192);
        QTest::newRow("WidthValue") << "WidthValue" << QColor(0, 0, 192);
        QTest::newRow("ColorValue") << "ColorValue" << QColor(0, 0, 192);
        QTest::newRow("OutFileValue") << "OutFileValue" << QColor(0, 128, 0);
        QTest::newRow("CopyRightLabel") << "CopyRightLabel" << QColor(64, 64, 64);
    }
    void readOutColours()
    {
        QFETCH(QString, name);
        QFETCH(QColor, colour);
        MainWindow main;
        const auto* label = main.form.findChild<QLabel*>(name);
        QCOMPARE(label->palette().color(QPalette::WindowText), colour);
    }

    void fonts()
    {
        MainWindow main;
        const QFont notice = main.form.CopyRightLabel->font();
        QCOMPARE(notice.family(), QStringLiteral("Arial"));
        QCOMPARE(notice.pointSizeF(), 8.25);
        QVERIFY(!notice.italic() && !notice.underline() && !notice.strikeOut());
        QCOMPARE(notice.weight(), QFont::Normal);
        QVERIFY(main.form.DriverLabel->font().pointSizeF() <= 8.25);
        QVERIFY(main.form.DriverLabel->font().pointSizeF() >= 7.0);
    }

    // No caption is cut: each line of text fits its control's box.
    void captionsFit()
    {
        MainWindow main;
        main.form.StatusValue->setText(QStringLiteral("Successed"));
        main.form.ColorValue->setText(QStringLiteral("1 Bits  (2 Colors)"));
        main.form.HeightValue->setText(QStringLiteral("32"));
        main.form.WidthValue->setText(QStringLiteral("122"));
        main.form.ProgressPer->setText(QStringLiteral("100"));
        for (const QLabel* label : main.form.findChildren<QLabel*>()) {
            if (label == main.form.PreviewPic || label == main.form.OutFileValue)
                continue;
            const QFontMetrics metrics(label->font());
            const QStringList lines = label->text().split(QStringLiteral("\r\n"));
            for (const QString& line : lines)
                QVERIFY2(metrics.horizontalAdvance(line) <= label->contentsRect().width(), qPrintable(line));
            QVERIFY2(metrics.height() * lines.size() <= label->contentsRect().height() + 2,
                     qPrintable(label->objectName()));
        }
        for (const QAbstractButton* button : main.form.findChildren<QAbstractButton*>()) {
            const QFontMetrics metrics(button->font());
            QVERIFY2(metrics.horizontalAdvance(button->text()) < button->width() - 8, qPrintable(button->text()));
            QVERIFY2(button->sizeHint().height() <= button->height() + 1, qPrintable(button->text()));
        }
    }

    void tabOrderPutsPreviewBeforeConvert()
    {
        MainWindow main;
        main.form.PreviewButton->setEnabled(true);
        main.form.ConvertButton->setEnabled(true);
        QApplication::setActiveWindow(&main.form);
        main.form.File1->setFocus();
        QTRY_VERIFY(main.form.File1->hasFocus());
        const QList<QWidget*> expected{main.form.PreviewButton, main.form.PreviewPic, main.form.ConvertButton,
                                       main.form.ResetButton, main.form.ExitButton};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void tabSkipsDisabledButtons()
    {
        MainWindow main;
        QApplication::setActiveWindow(&main.form);
        main.form.File1->setFocus();
        QTRY_VERIFY(main.form.File1->hasFocus());
        QTest::keyClick(main.form.File1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), main.form.PreviewPic);
    }

    void listsShowProgramFolder()
    {
        MainWindow main;
        const QString folder = QCoreApplication::applicationDirPath();
        QCOMPARE(main.form.Dir1->Path(), folder);
        QCOMPARE(main.form.File1->Path(), folder);
        QCOMPARE(main.form.Drive1->Drive(), QStorageInfo(folder).rootPath());
        QCOMPARE(main.form.Dir1->currentItem()->data(0, Qt::UserRole).toString(), folder);
    }

    void fileListShowsPicturesOnly()
    {
        MainWindow main;
        QDir dir(main.scratch.path());
        for (const char* name : {"b.BMP", "a.bmp", "C.Bmp", "d.txt", "e.bmp.txt", ".hidden.bmp", "lcd_a.txt"})
            QVERIFY(WriteFile(dir.filePath(name), "x"));
        QVERIFY(dir.mkdir("folder.bmp"));
        main.Browse(dir.path());
        QCOMPARE(main.form.File1->Path(), dir.path());
        QCOMPARE(Names(main.form.File1), QStringList({"a.bmp", "b.BMP", "C.Bmp"}));
        QVERIFY(main.form.File1->FileName().isEmpty());
        QVERIFY(ClickName(main.form.File1, "b.BMP"));
        QCOMPARE(main.form.File1->FileName(), QStringLiteral("b.BMP"));
    }

    void folderListOpensSubfoldersAndParents()
    {
        MainWindow main;
        QDir dir(main.scratch.path());
        QVERIFY(dir.mkpath("inner/deeper"));
        QVERIFY(WriteFile(dir.filePath("inner/p.bmp"), "x"));
        main.Browse(dir.path());
        const QTreeWidgetItem* current = main.form.Dir1->currentItem();
        QCOMPARE(current->childCount(), 1);
        QCOMPARE(current->child(0)->text(0), QStringLiteral("inner"));
        // Opening a subfolder is the user's double-click.
        const QRect place = main.form.Dir1->visualItemRect(current->child(0));
        QTest::mouseClick(main.form.Dir1->viewport(), Qt::LeftButton, {}, place.center());
        QTest::mouseDClick(main.form.Dir1->viewport(), Qt::LeftButton, {}, place.center());
        QCOMPARE(main.form.Dir1->Path(), dir.filePath("inner"));
        QCOMPARE(Names(main.form.File1), QStringList({"p.bmp"}));
        // The way up is in the list too.
        QTreeWidgetItem* parent = main.form.Dir1->currentItem()->parent();
        main.form.Dir1->setCurrentItem(parent);
        QTest::keyClick(main.form.Dir1, Qt::Key_Return);
        QCOMPARE(main.form.Dir1->Path(), dir.path());
        QCOMPARE(main.form.File1->Path(), dir.path());
    }

    void driveChangeGoesToVolumeRoot()
    {
        MainWindow main;
        main.Browse(main.scratch.path());
        QCOMPARE(main.form.Drive1->Drive(), QStorageInfo(main.scratch.path()).rootPath());
        main.form.Drive1_Change();
        QCOMPARE(main.form.Dir1->Path(), main.form.Drive1->Drive());
        QCOMPARE(main.form.File1->Path(), main.form.Drive1->Drive());
        // Choosing another volume in the list runs the same chain.
        for (int index = 0; index < main.form.Drive1->count(); ++index) {
            if (index == main.form.Drive1->currentIndex())
                continue;
            main.form.Drive1->setCurrentIndex(index);
            const QString root = main.form.Drive1->itemData(index).toString();
            if (main.form.Drive1->currentIndex() == index)  // a volume whose root can be listed
                QCOMPARE(main.form.Dir1->Path(), root);
            QCOMPARE(main.form.Drive1->Drive(), QStorageInfo(main.form.Dir1->Path()).rootPath());
            break;
        }
    }

    void missingFolderFallsBack()
    {
        MainWindow main;
        QDir dir(main.scratch.path());
        QVERIFY(dir.mkpath("shown/inner"));
        QVERIFY(main.form.Dir1->SetPath(dir.filePath("gone/away")));
        QCOMPARE(main.form.Dir1->Path(), dir.path());
        main.Browse(dir.filePath("shown/inner"));
        QVERIFY(QDir(dir.filePath("shown")).removeRecursively());
        QTRY_COMPARE(main.form.Dir1->Path(), dir.path());
        QCOMPARE(main.form.File1->Path(), dir.path());
    }

    void resetRestoresStart()
    {
        MainWindow main;
        main.form.InverseOption->setEnabled(true);
        main.form.InverseOption->setChecked(true);
        main.form.ConvertButton->setEnabled(true);
        main.form.PreviewButton->setEnabled(true);
        main.form.StatusValue->setText("Successed");
        main.form.ProgressPer->setText("100");
        main.state.OutputPath = "/x/lcd_a.txt";
        for (int times = 1; times <= 2; ++times) {
            QTest::mouseClick(main.form.ResetButton, Qt::LeftButton);
            VerifyCleared(main.form);
            QCOMPARE(main.form.ConvertStatus, QStringLiteral("F"));
            QVERIFY(main.state.OutputPath.empty());
        }
        QCOMPARE(main.form.Dir1->Path(), QCoreApplication::applicationDirPath());
    }

    void showStatus_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("pathShown");
        QTest::newRow("S") << "S"
                           << "Successed" << true;
        QTest::newRow("F") << "F"
                           << "Failed" << false;
        QTest::newRow("empty") << ""
                               << "Failed" << false;
        QTest::newRow("lower-case s") << "s"
                                      << "Failed" << false;
    }
    void showStatus()
    {
        QFETCH(QString, status);
        QFETCH(QString, shown);
        QFETCH(bool, pathShown);
        MainWindow main;
        main.state.OutputPath = "/pictures/lcd_Logo.txt";
        main.form.ConvertStatus = status;
        main.form.Show_Status();
        QCOMPARE(main.form.StatusValue->text(), shown);
        QCOMPARE(main.form.OutFileValue->text(), pathShown ? ShownPath(main.state.OutputPath) : QString());
    }

    void exitEndsTheEventLoop()
    {
        MainWindow main;
        QTimer::singleShot(0, main.form.ExitButton, [&] { QTest::mouseClick(main.form.ExitButton, Qt::LeftButton); });
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(7); });
        const int code = QCoreApplication::exec();
        QCOMPARE(code, 0);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!main.form.isVisible());
    }
};

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
