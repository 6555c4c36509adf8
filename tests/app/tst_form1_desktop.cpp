// The main window on an ordinary desktop: used from the keyboard alone, names
// cut short, folders the user may not open, the volumes offered, and where it
// starts as a build and as an installed program.
#include "app/volumes.h"
#include "app/form2.h"
#include "support/bmp_maker.h"
#include "support/gui_helpers.h"

#include <QApplication>
#include <QStorageInfo>
#include <QTest>
#include <QToolTip>

using namespace quillon;
using namespace quillon::test;

namespace {

// Keys go to the window, as the window system delivers them: to its focus widget.
void Press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(window->windowHandle(), key, modifiers);
}

QTreeWidgetItem* Subfolder(const DirList* list, const QString& name)
{
    QTreeWidgetItem* current = list->currentItem();
    for (int k = 0; k < current->childCount(); ++k) {
        if (current->child(k)->text(0) == name)
            return current->child(k);
    }
    return nullptr;
}

}  // namespace

class Form1DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void keyboardAlone_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
    }
    // Pick, convert, preview and close the preview with keys only.
    void keyboardAlone()
    {
        QFETCH(int, key);
        MainWindow main;
        QVERIFY(WriteFile(main.scratch.filePath("logo.bmp"), MakeBmp(RandomPicture(11))));
        QVERIFY(WriteFile(main.scratch.filePath("other.bmp"), "x"));
        main.Browse(main.scratch.path());
        QApplication::setActiveWindow(&main.form);
        main.form.File1->setFocus();
        QTRY_VERIFY(main.form.File1->hasFocus());
        // With no name highlighted, Enter opens nothing.
        Press(&main.form, Qt::Key(key));
        QVERIFY(main.form.HeightValue->text().isEmpty());
        Press(&main.form, Qt::Key_End);
        Press(&main.form, Qt::Key_Home);
        QCOMPARE(main.form.File1->FileName(), QStringLiteral("logo.bmp"));
        Press(&main.form, Qt::Key(key));
        QCOMPARE(main.form.HeightValue->text(), QStringLiteral("32"));
        QVERIFY(main.form.ConvertButton->isEnabled());
        // Tab past the picture box to "Convert", and press it with the space bar.
        Press(&main.form, Qt::Key_Tab);
        Press(&main.form, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), main.form.ConvertButton);
        Press(&main.form, Qt::Key_Space);
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        Press(&main.form, Qt::Key_Backtab);
        Press(&main.form, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), main.form.PreviewButton);
        bool closed = false;
        const auto watch = WhenModal(
            [&](QWidget* preview) {
                QVERIFY(QTest::qWaitForWindowExposed(preview));
                Press(preview, Qt::Key_Escape);
                closed = !preview->isVisible();
            },
            "quillon::Form2");
        Press(&main.form, Qt::Key_Space);
        QVERIFY(main.form.PreviewWindow());
        QVERIFY(closed);
    }

    void cutNamesShowWhole_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("tip");
        const QString longName = QStringLiteral("a_picture_whose_name_is_far_too_long_for_the_list_to_show.bmp");
        QTest::newRow("long file name") << "File1" << longName << true;
        QTest::newRow("short file name") << "File1"
                                         << "a.bmp" << false;
        QTest::newRow("long folder name") << "Dir1" << longName << true;
        QTest::newRow("short folder name") << "Dir1"
                                           << "in" << false;
    }
    void cutNamesShowWhole()
    {
        QFETCH(QString, list);
        QFETCH(QString, name);
        QFETCH(bool, tip);
        MainWindow main;
        QDir dir(main.scratch.path());
        QVERIFY(list == "Dir1" ? dir.mkdir(name) : WriteFile(dir.filePath(name), "x"));
        main.Browse(dir.path());
        QAbstractItemView* view = nullptr;
        QRect row;
        if (list == "Dir1") {
            view = main.form.Dir1;
            row = main.form.Dir1->visualItemRect(Subfolder(main.form.Dir1, name));
        } else {
            view = main.form.File1;
            row = main.form.File1->visualItemRect(main.form.File1->findItems(name, Qt::MatchExactly).value(0));
        }
        QVERIFY(!row.isEmpty());
        const QPoint at(row.left() + 20, row.center().y());
        QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &help);
        if (tip) {
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), name);
        } else {
            QVERIFY(!QToolTip::isVisible());
        }
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void lockedFolderSaysSoOnce_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("double-click") << false;
        QTest::newRow("Enter") << true;
    }
    void lockedFolderSaysSoOnce()
    {
        QFETCH(bool, byKey);
        MainWindow main;
        QDir dir(main.scratch.path());
        QVERIFY(dir.mkpath("locked/inner"));
        QVERIFY(Share(dir.path()));
        const QString locked = dir.filePath("locked");
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QList<BoxSeen> boxes;
        {
            const AsOrdinaryUser user;
            QVERIFY(user.ok());
            main.Browse(dir.path());
            const auto watch = RecordEveryBox(boxes);
            QTreeWidgetItem* item = Subfolder(main.form.Dir1, "locked");
            QVERIFY(item);
            if (byKey) {
                QApplication::setActiveWindow(&main.form);
                main.form.Dir1->setFocus();
                main.form.Dir1->setCurrentItem(item);
                QTRY_VERIFY(main.form.Dir1->hasFocus());
                Press(&main.form, Qt::Key_Return);
            } else {
                const QPoint at = main.form.Dir1->visualItemRect(item).center();
                QTest::mouseClick(main.form.Dir1->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(main.form.Dir1->viewport(), Qt::LeftButton, {}, at);
            }
            QTest::qWait(300);  // time for a second box, if one were coming
        }
        QVERIFY(QFile::setPermissions(
            locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].title, QStringLiteral("Folder Open Error"));
        QVERIFY2(boxes[0].text.contains(locked), qPrintable(boxes[0].text));
        QCOMPARE(boxes[0].buttons, 1);
        QCOMPARE(main.form.Dir1->Path(), dir.path());
        QCOMPARE(main.form.File1->Path(), dir.path());
    }

    void startFolder_data()
    {
        QTest::addColumn<bool>("programWritable");
        QTest::addColumn<bool>("startedInProc");
        QTest::addColumn<bool>("inProgramFolder");
        QTest::addColumn<bool>("installed");  // share/applications/quillon.desktop beside bin/
        QTest::newRow("own copy") << true << false << true << false;
        QTest::newRow("installed copy") << false << false << false << true;
        // /usr/bin is root's to write to; an installed copy still starts where it was started.
        QTest::newRow("installed copy, its folder writable") << true << false << false << true;
        QTest::newRow("read-only copy") << false << false << false << false;
        // /proc is a volume "Driver:" leaves out; started there, it is listed all the same.
        QTest::newRow("installed copy started in /proc") << false << true << false << true;
    }
    void startFolder()
    {
        QFETCH(bool, programWritable);
        QFETCH(bool, startedInProc);
        QFETCH(bool, inProgramFolder);
        QFETCH(bool, installed);
        QTemporaryDir top;
        QDir dir(top.path());
        QVERIFY(dir.mkdir("bin") && dir.mkdir("work") && Share(dir.path()) && Share(dir.filePath("work")));
        if (installed)
            QVERIFY(dir.mkpath("share/applications") &&
                    WriteFile(dir.filePath("share/applications/quillon.desktop"), "[Desktop Entry]\n"));
        const QString program = dir.filePath("bin");
        QVERIFY(
            QFile::setPermissions(program, programWritable ? QFile::Permissions(0x7777) : QFile::Permissions(0x5555)));
        const QString working = startedInProc ? QStringLiteral("/proc") : dir.filePath("work");
        const QString expected = inProgramFolder ? program : working;
        const QString before = QDir::currentPath();
        SharedState state;
        Form1 form(state);
        {
            const AsOrdinaryUser user;
            QVERIFY(user.ok());
            QVERIFY(QDir::setCurrent(working));
            form.ProgramFolder = program;
            form.Form_Load();
        }
        QVERIFY(QDir::setCurrent(before));
        QCOMPARE(form.Dir1->Path(), expected);
        QCOMPARE(form.File1->Path(), expected);
        const QString volume = QStorageInfo(expected).rootPath();
        QCOMPARE(form.Drive1->Drive(), volume);
        QCOMPARE(form.Drive1->currentText(), QDir::toNativeSeparators(volume));
        QVERIFY(QFile::setPermissions(program, QFile::Permissions(0x7700)));
    }

    // Today's list of volumes holds no system mount, and the root volume always.
    void driverOffersUserVolumes()
    {
        MainWindow main;
        const QStringList userVolumes = UserVolumes(CurrentMountTable());
        const QString start = QStorageInfo(main.form.Dir1->Path()).rootPath();
        QVERIFY(main.form.Drive1->findData(QStringLiteral("/")) >= 0);
        for (int k = 0; k < main.form.Drive1->count(); ++k) {
            const QString root = main.form.Drive1->itemData(k).toString();
            QVERIFY2(userVolumes.contains(root) || root == start, qPrintable(root));
        }
    }
};

QTEST_MAIN(Form1DesktopTest)
#include "tst_form1_desktop.moc"
