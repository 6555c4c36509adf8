#include "app/browse_lists.h"

#include "app/volumes.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QToolTip>

namespace quillon {

namespace {

constexpr auto FolderOrder = QDir::Name | QDir::IgnoreCase;

bool Listable(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && info.isDir() && info.isReadable() && info.isExecutable();
}

// A folder that is there but that the user may not open.
bool Locked(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !(info.isReadable() && info.isExecutable());
}

// A list with the keyboard focus says so: a frame in the highlight colour just
// inside its border, whatever the style draws (which is nothing, for most).
void PaintFocusFrame(QAbstractItemView* view)
{
    if (!view->hasFocus())
        return;
    QPainter painter(view->viewport());
    painter.setPen(QPen(view->palette().color(QPalette::Highlight), 2));
    painter.drawRect(QRectF(view->viewport()->rect()).adjusted(1, 1, -1, -1));
}

// A row whose name is cut short, by an ellipsis or by the list's edge, shows
// the whole name as its tool tip; other rows show none.
bool ShowCutName(QAbstractItemView* view, const QHelpEvent* event)
{
    const QModelIndex index = view->indexAt(event->pos());
    const QRect shown = view->visualRect(index);
    const bool cut = index.isValid() && (shown.width() < view->sizeHintForIndex(index).width() || shown.left() < 0 ||
                                         shown.right() >= view->viewport()->width());
    if (cut)
        QToolTip::showText(event->globalPos(), index.data().toString(), view->viewport(), shown);
    else
        QToolTip::hideText();
    return true;
}

}  // namespace

QString NearestReadableFolder(const QString& path)
{
    QString folder = QDir::cleanPath(QDir(path).absolutePath());
    for (;;) {
        if (Listable(folder))
            return folder;
        QDir up(folder);
        if (!up.cdUp()) {
            // cdUp refuses a parent that is gone; step up by the name instead.
            const QString parent = QFileInfo(folder).absolutePath();
            if (parent == folder)
                return {};
            folder = parent;
            continue;
        }
        folder = up.absolutePath();
    }
}

// --- volumes -----------------------------------------------------------------

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    for (const QString& root : UserVolumes(CurrentMountTable())) {
        // A volume is a folder to browse (containers also mount single files).
        if (QFileInfo(root).isDir())
            addItem(QDir::toNativeSeparators(root), root);
    }
    // Before start-up points it elsewhere, the list shows the current volume.
    ShowDriveOf(QDir::currentPath());
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::Change);
}

QString DriveList::Drive() const
{
    return currentData().toString();
}

int DriveList::IndexOfVolume(const QString& path)
{
    const QString root = QStorageInfo(path).rootPath();
    if (root.isEmpty())
        return currentIndex();
    int index = findData(root);
    if (index < 0) {
        addItem(QDir::toNativeSeparators(root), root);
        index = count() - 1;
    }
    return index;
}

void DriveList::SetDriveOf(const QString& path)
{
    setCurrentIndex(IndexOfVolume(path));
}

void DriveList::ShowDriveOf(const QString& path)
{
    const QSignalBlocker quiet(this);
    setCurrentIndex(IndexOfVolume(path));
}

// --- folders -----------------------------------------------------------------

DirList::DirList(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(10);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { SetPath(item->data(0, Qt::UserRole).toString()); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &DirList::FolderChanged);
}

bool DirList::SetPath(const QString& path)
{
    const QString folder = NearestReadableFolder(path);
    if (folder.isEmpty())
        return false;
    if (Locked(path))
        SayCannotOpen(path);
    if (folder == path_) {
        Rebuild();  // same folder: only its subfolders may have changed
        return true;
    }
    if (!path_.isEmpty())
        watcher_.removePath(path_);
    path_ = folder;
    watcher_.addPath(path_);
    Rebuild();
    emit Change();
    return true;
}

void DirList::SayCannotOpen(const QString& folder)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Folder Open Error"),
                    QStringLiteral("The folder could not be opened:\n%1\n\nYou have no permission to open it.")
                        .arg(QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath()))),
                    QMessageBox::Ok, window());
    box.exec();
}

void DirList::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    PaintFocusFrame(this);
}

void DirList::scrollContentsBy(int dx, int dy)
{
    QTreeWidget::scrollContentsBy(dx, dy);
    viewport()->update();  // the focus frame is not scrolled with the rows
}

bool DirList::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip)
        return ShowCutName(this, static_cast<QHelpEvent*>(event));
    return QTreeWidget::viewportEvent(event);
}

void DirList::FolderChanged()
{
    if (Listable(path_))
        Rebuild();
    else
        SetPath(path_);  // gone or closed: fall back to the nearest readable folder above
}

void DirList::Rebuild()
{
    clear();
    QFileIconProvider icons;
    const QIcon open = icons.icon(QFileIconProvider::Folder);

    // The way down from the root to the current folder, each a level deeper.
    QStringList chain;
    for (QDir dir(path_);;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    QTreeWidgetItem* parentItem = nullptr;
    for (const QString& folder : chain) {
        const QString name = QDir(folder).isRoot() ? QDir::toNativeSeparators(folder) : QDir(folder).dirName();
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
        item->setText(0, name);
        item->setIcon(0, open);
        item->setData(0, Qt::UserRole, folder);
        parentItem = item;
    }
    QTreeWidgetItem* current = parentItem;

    const QDir dir(path_);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, FolderOrder)) {
        auto* item = new QTreeWidgetItem(current);
        item->setText(0, name);
        item->setIcon(0, open);
        item->setData(0, Qt::UserRole, dir.absoluteFilePath(name));
    }
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

// --- files -------------------------------------------------------------------

FileList::FileList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit DblClick(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FileList::Refresh);
}

void FileList::SetPath(const QString& path)
{
    if (!path_.isEmpty())
        watcher_.removePath(path_);
    path_ = path;
    if (!path_.isEmpty())
        watcher_.addPath(path_);
    clear();
    Refresh();
}

void FileList::keyPressEvent(QKeyEvent* event)
{
    // Enter on a highlighted name does what a double-click does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !FileName().isEmpty()) {
        emit DblClick();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileList::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    PaintFocusFrame(this);
}

void FileList::scrollContentsBy(int dx, int dy)
{
    QListWidget::scrollContentsBy(dx, dy);
    viewport()->update();  // the focus frame is not scrolled with the rows
}

bool FileList::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip)
        return ShowCutName(this, static_cast<QHelpEvent*>(event));
    return QListWidget::viewportEvent(event);
}

QString FileList::FileName() const
{
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void FileList::Refresh()
{
    // Keep the highlighted name across a refresh of the same folder.
    const QString highlighted = FileName();
    const QStringList names = QDir(path_).entryList({Pattern()}, QDir::Files | QDir::NoDotAndDotDot, FolderOrder);
    const QSignalBlocker quiet(this);
    clear();
    addItems(names);
    const auto kept = findItems(highlighted, Qt::MatchExactly);
    if (!highlighted.isEmpty() && !kept.isEmpty())
        setCurrentItem(kept.first());
}

}  // namespace quillon
