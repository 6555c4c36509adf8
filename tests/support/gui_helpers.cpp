#include "support/gui_helpers.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <unistd.h>

namespace quillon::test {

std::unique_ptr<QObject> WhenModal(std::function<void(QWidget* modal)> inspect, const char* kind)
{
    auto owner = std::make_unique<QObject>();
    auto* timer = new QTimer(owner.get());
    const QDeadlineTimer deadline(20000);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, inspect, kind] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && !modal->inherits(kind))
            modal = nullptr;
        if (!modal && !deadline.hasExpired())
            return;
        timer->stop();
        if (!modal)
            return;
        inspect(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
    });
    timer->start(10);
    return owner;
}

std::unique_ptr<QObject> RecordNextBox(BoxSeen& seen)
{
    return WhenModal(
        [&seen](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box)
                return;
            seen.shown = true;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.buttons = static_cast<int>(box->buttons().size());
            seen.icon = box->icon();
        },
        "QMessageBox");
}

std::unique_ptr<QObject> RecordEveryBox(QList<BoxSeen>& seen)
{
    auto owner = std::make_unique<QObject>();
    auto* timer = new QTimer(owner.get());
    QObject::connect(timer, &QTimer::timeout, timer, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.append({true, box->windowTitle(), box->text(), static_cast<int>(box->buttons().size()), box->icon()});
        box->done(QDialog::Rejected);
    });
    timer->start(10);
    return owner;
}

AsOrdinaryUser::AsOrdinaryUser()
{
    if (geteuid() != 0)
        return;
    // The real ids too, for access() checks them; the saved ones stay root's, to come back.
    constexpr uid_t nobody = 65534;
    ok_ = setresgid(nobody, nobody, 0) == 0 && setresuid(nobody, nobody, 0) == 0;
    dropped_ = true;
}

AsOrdinaryUser::~AsOrdinaryUser()
{
    if (dropped_ && (setresuid(0, 0, 0) != 0 || setresgid(0, 0, 0) != 0))
        qFatal("could not become root again");
}

bool Share(const QString& folder)
{
    return QFile::setPermissions(
        folder, QFile::permissions(folder) | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

namespace {
QListWidgetItem* Find(QListWidget* list, const QString& name)
{
    const auto items = list->findItems(name, Qt::MatchExactly);
    return items.isEmpty() ? nullptr : items.first();
}
}  // namespace

bool DoubleClickName(QListWidget* list, const QString& name)
{
    QListWidgetItem* item = Find(list, name);
    if (!item)
        return false;
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    return true;
}

bool ClickName(QListWidget* list, const QString& name)
{
    QListWidgetItem* item = Find(list, name);
    if (!item)
        return false;
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    return true;
}

}  // namespace quillon::test

#include "app/form2.h"
#include "support/bmp_maker.h"

#include <QFile>

namespace quillon::test {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WithPreview(MainWindow& main, const std::function<void(Form2&)>& inside)
{
    const auto watch = WhenModal(
        [&](QWidget* modal) {
            auto* preview = qobject_cast<Form2*>(modal);
            QVERIFY(preview);
            QVERIFY(QTest::qWaitForWindowExposed(preview));
            inside(*preview);
        },
        "quillon::Form2");
    QTest::mouseClick(main.form.PreviewButton, Qt::LeftButton);
}

QImage PaintedDots(const Form2& preview)
{
    return preview.LcdPic->grab(preview.LcdPic->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

MainWindow::MainWindow()
{
    form.Form_Load();
    if (!QTest::qWaitForWindowExposed(&form))
        qWarning("the main window was not exposed");
}

void MainWindow::Browse(const QString& folder)
{
    form.Dir1->SetPath(folder);
}

void MainWindow::Pick(const QString& name, const QByteArray& bytes)
{
    WriteFile(scratch.filePath(name), bytes);
    Browse(scratch.path());
    form.File1->SetPath(scratch.path());  // the list sees a file written after it was filled
    DoubleClickName(form.File1, name);
}

}  // namespace quillon::test
