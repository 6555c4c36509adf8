// Both windows stay readable on a light and on a dark desktop: every text
// keeps a contrast of 4.5 : 1 against what is painted behind it, measured from
// the windows' own pixels, and the read-outs, path and notice keep their colours.
#include "app/form2.h"
#include "support/bmp_maker.h"
#include "support/gui_helpers.h"
#include "support/pixels.h"

#include <QApplication>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

namespace {

// One text as the user sees it: where it is in the window and how to take it away.
struct Text {
    QString name;
    QRect area;
    std::function<void(bool hidden)> hide;
};

QRect InWindow(const QWidget* control, const QRect& rect)
{
    return rect.translated(control->mapTo(control->window(), QPoint(0, 0)));
}

template <typename Control>
Text CaptionOf(Control* control)
{
    const QString caption = control->text();
    return {control->objectName(), InWindow(control, control->rect()),
            [control, caption](bool hidden) { control->setText(hidden ? QString() : caption); }};
}

// Every text of a window: captions, read-outs, the volume shown and each
// visible row of the two lists.
QList<Text> TextsOf(QWidget* window)
{
    QList<Text> texts;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().isEmpty())
            texts << CaptionOf(label);
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        texts << CaptionOf(button);
    for (QComboBox* list : window->findChildren<QComboBox*>()) {
        const QString volume = list->currentText();
        texts << Text{list->objectName(), InWindow(list, list->rect()), [list, volume](bool hidden) {
                          list->setItemText(list->currentIndex(), hidden ? QString() : volume);
                      }};
    }
    for (QListWidget* list : window->findChildren<QListWidget*>()) {
        for (int k = 0; k < list->count(); ++k) {
            QListWidgetItem* item = list->item(k);
            const QString name = item->text();
            const QRect row = list->visualItemRect(item) & list->viewport()->rect();
            if (row.height() == list->visualItemRect(item).height())  // rows wholly in view
                texts << Text{list->objectName() + ": " + name, InWindow(list->viewport(), row),
                              [item, name](bool hidden) { item->setText(hidden ? QString() : name); }};
        }
    }
    for (QTreeWidget* list : window->findChildren<QTreeWidget*>()) {
        for (QTreeWidgetItemIterator it(list); *it; ++it) {
            QTreeWidgetItem* item = *it;
            const QString name = item->text(0);
            const QRect row = list->visualItemRect(item) & list->viewport()->rect();
            if (row.height() == list->visualItemRect(item).height())  // rows wholly in view
                texts << Text{list->objectName() + ": " + name, InWindow(list->viewport(), row),
                              [item, name](bool hidden) { item->setText(0, hidden ? QString() : name); }};
        }
    }
    return texts;
}

// Every text reaches 4.5 : 1, and those in colours of their own keep them: the
// strongest pixel is that colour, but for a trace of the background that
// smoothing mixes into the thin strokes of small text.
void VerifyReadable(QWidget* window)
{
    const QHash<QString, QColor> ownColours{{"HeightValue", QColor(0, 0, 192)},
                                            {"ColorValue", QColor(0, 0, 192)},
                                            {"OutFileValue", QColor(0, 128, 0)},
                                            {"CopyRightLabel", QColor(64, 64, 64)}};
    const auto near = [](const QColor& painted, const QColor& wanted) {
        return qAbs(painted.red() - wanted.red()) <= 12 && qAbs(painted.green() - wanted.green()) <= 12 &&
               qAbs(painted.blue() - wanted.blue()) <= 12;
    };
    const QList<Text> texts = TextsOf(window);
    QVERIFY(texts.size() >= 20 || window->inherits("quillon::Form2"));
    for (const Text& text : texts) {
        const TextPixels seen = MeasureText(window, text.area, text.hide);
        QVERIFY2(seen.count > 0, qPrintable(text.name + " painted nothing"));
        QVERIFY2(seen.contrast >= 4.5, qPrintable(QStringLiteral("%1: %2 : 1").arg(text.name).arg(seen.contrast)));
        if (ownColours.contains(text.name))
            QVERIFY2(near(seen.strongest, ownColours[text.name]), qPrintable(text.name + seen.strongest.name()));
    }
}

QPalette DesktopNamed(const QString& name)
{
    return name == "dark" ? DarkDesktop() : LightDesktop();
}

}  // namespace

class FormContrastTest : public QObject {
    Q_OBJECT
private slots:
    void mainWindowReadable_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<bool>("converted");
        for (const char* desktop : {"light", "dark"}) {
            QTest::addRow("%s, fresh", desktop) << desktop << false;
            QTest::addRow("%s, converted", desktop) << desktop << true;
        }
    }
    void mainWindowReadable()
    {
        QFETCH(QString, desktop);
        QFETCH(bool, converted);
        const DesktopPalette palette(DesktopNamed(desktop));
        MainWindow main;
        if (converted) {
            main.Pick("picture.bmp", MakeBmp(RandomPicture(3)));
            QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
            QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        }
        VerifyReadable(&main.form);
    }

    void previewReadable_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::newRow("light") << "light";
        QTest::newRow("dark") << "dark";
    }
    void previewReadable()
    {
        QFETCH(QString, desktop);
        const DesktopPalette palette(DesktopNamed(desktop));
        MainWindow main;
        main.Pick("picture.bmp", MakeBmp(RandomPicture(5)));
        QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
        bool measured = false;
        const auto watch = WhenModal(
            [&](QWidget* modal) {
                QVERIFY(QTest::qWaitForWindowExposed(modal));
                VerifyReadable(modal);
                measured = true;
            },
            "quillon::Form2");
        QTest::mouseClick(main.form.PreviewButton, Qt::LeftButton);
        QVERIFY(measured);
    }

    // A list with the keyboard focus looks different from one without, by a
    // frame that stands out at least 3 : 1 from what it covers.
    void listsShowTheFocus_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("list");
        for (const char* desktop : {"light", "dark"}) {
            QTest::addRow("%s, Dir1", desktop) << desktop << "Dir1";
            QTest::addRow("%s, File1", desktop) << desktop << "File1";
        }
    }
    void listsShowTheFocus()
    {
        QFETCH(QString, desktop);
        QFETCH(QString, list);
        const DesktopPalette palette(DesktopNamed(desktop));
        MainWindow main;
        QVERIFY(WriteFile(main.scratch.filePath("a.bmp"), "x"));
        main.Browse(main.scratch.path());
        auto* control = main.form.findChild<QAbstractItemView*>(list);
        QApplication::setActiveWindow(&main.form);
        control->setFocus();
        QTRY_VERIFY(control->hasFocus());
        // "Hidden" here is the list without the focus: the pixels that change are the frame's.
        const TextPixels frame = MeasureText(&main.form, InWindow(control, control->rect()), [&](bool unfocused) {
            (unfocused ? static_cast<QWidget*>(main.form.ExitButton) : control)->setFocus();
        });
        QVERIFY2(frame.count >= 2 * (control->width() + control->height()), qPrintable(QString::number(frame.count)));
        QVERIFY2(frame.contrast >= 3.0, qPrintable(QString::number(frame.contrast)));
        QVERIFY(control->hasFocus());
    }
};

QTEST_MAIN(FormContrastTest)
#include "tst_form_contrast.moc"
