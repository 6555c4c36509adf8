#include "app/browse_lists.h"

#include "app/path_text.h"
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

#include <unistd.h>
#include <algorithm>
#include <vector>

namespace quillon {

namespace {

namespace fs = std::filesystem;

bool IsFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

bool Listable(const fs::path& path)
{
    return IsFolder(path) && ::access(path.c_str(), R_OK | X_OK) == 0;
}

// A folder that is there but that the user may not open.
bool Locked(const fs::path& path)
{
    return IsFolder(path) && ::access(path.c_str(), R_OK | X_OK) != 0;
}

bool EndsWithBmp(const std::string& name)
{
    if (name.size() < 4)
        return false;
    const std::string end = name.substr(name.size() - 4);
    return end[0] == '.' && (end[1] | 0x20) == 'b' && (end[2] | 0x20) == 'm' && (end[3] | 0x20) == 'p';
}

// A name in a list: as shown, and as the file system spells it, which need
// not be UTF-8 (a name from an old disk, say); both lists carry the bytes.
struct Entry {
    QString shown;
    fs::path name;
};

// The entries of `folder` that are folders, or picture files ("*.bmp" in any
// case), through links, hidden ones left out, in name order, letters in either case.
std::vector<Entry> Entries(const fs::path& folder, bool folders)
{
    std::vector<Entry> found;
    std::error_code error;
    for (fs::directory_iterator at(folder, error), end; !error && at != end; at.increment(error)) {
        const fs::path name = at->path().filename();
        if (name.native().empty() || name.native()[0] == '.')
            continue;
        std::error_code kind;
        const fs::file_status status = fs::status(at->path(), kind);
        if (folders ? !fs::is_directory(status) : !(fs::is_regular_file(status) && EndsWithBmp(name.native())))
            continue;
        found.push_back({ShownPath(name), name});
    }
    std::sort(found.begin(), found.end(), [](const Entry& a, const Entry& b) {
        const int order = a.shown.compare(b.shown, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return found;
}

QByteArray Bytes(const fs::path& path)
{
    return QByteArray::fromStdString(path.native());
}

fs::path FromBytes(const QVariant& bytes)
{
    return fs::path(bytes.toByteArray().toStdString());
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

fs::path NearestReadableFolder(const fs::path& path)
{
    std::error_code error;
    fs::path folder = fs::absolute(path, error).lexically_normal();
    if (folder.has_relative_path() && folder.filename().empty())
        folder = folder.parent_path();  // "/a/b/" is "/a/b"
    for (;;) {
        if (Listable(folder))
            return folder;
        const fs::path parent = folder.parent_path();
        if (parent.empty() || parent == folder)
            return {};
        folder = parent;
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
            [this](QTreeWidgetItem* item) { SetPath(FromBytes(item->data(0, Qt::UserRole))); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &DirList::FolderChanged);
}

QString DirList::Path() const
{
    return ShownPath(path_);
}

bool DirList::SetPath(const QString& path)
{
    return SetPath(FilePath(path));
}

bool DirList::SetPath(const fs::path& path)
{
    const fs::path folder = NearestReadableFolder(path);
    if (folder.empty())
        return false;
    if (Locked(path))
        SayCannotOpen(path);
    if (folder == path_) {
        Rebuild();  // same folder: only its subfolders may have changed
        return true;
    }
    if (!path_.empty())
        watcher_.removePath(ShownPath(path_));
    path_ = folder;
    watcher_.addPath(ShownPath(path_));  // a name that is not UTF-8 is not watched
    Rebuild();
    emit Change();
    return true;
}

void DirList::SayCannotOpen(const fs::path& folder)
{
    std::error_code error;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Folder Open Error"),
                    QStringLiteral("The folder could not be opened:\n%1\n\nYou have no permission to open it.")
                        .arg(QDir::toNativeSeparators(ShownPath(fs::absolute(folder, error).lexically_normal()))),
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
    std::vector<fs::path> chain;
    for (fs::path folder = path_;; folder = folder.parent_path()) {
        chain.insert(chain.begin(), folder);
        if (folder.parent_path() == folder || folder.parent_path().empty())
            break;
    }
    QTreeWidgetItem* parentItem = nullptr;
    for (const fs::path& folder : chain) {
        const bool root = folder.parent_path() == folder;
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
        item->setText(0, root ? QDir::toNativeSeparators(ShownPath(folder)) : ShownPath(folder.filename()));
        item->setIcon(0, open);
        item->setData(0, Qt::UserRole, Bytes(folder));
        parentItem = item;
    }
    QTreeWidgetItem* current = parentItem;

    for (const Entry& entry : Entries(path_, true)) {
        auto* item = new QTreeWidgetItem(current);
        item->setText(0, entry.shown);
        item->setIcon(0, open);
        item->setData(0, Qt::UserRole, Bytes(path_ / entry.name));
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

QString FileList::Path() const
{
    return ShownPath(path_);
}

void FileList::SetPath(const QString& path)
{
    SetPath(quillon::FilePath(path));
}

void FileList::SetPath(const fs::path& path)
{
    if (!path_.empty())
        watcher_.removePath(ShownPath(path_));
    path_ = path;
    if (!path_.empty())
        watcher_.addPath(ShownPath(path_));
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

fs::path FileList::FilePath() const
{
    const QListWidgetItem* item = currentItem();
    if (!item || !item->isSelected())
        return {};
    // A row put in by other means than a refresh has its text alone.
    const QVariant bytes = item->data(Qt::UserRole);
    return path_ / (bytes.isValid() ? FromBytes(bytes) : quillon::FilePath(item->text()));
}

bool FileList::Highlight(const fs::path& name)
{
    const QByteArray wanted = Bytes(name);
    for (int row = 0; row < count(); ++row) {
        if (item(row)->data(Qt::UserRole).toByteArray() == wanted) {
            setCurrentItem(item(row));
            item(row)->setSelected(true);
            return true;
        }
    }
    return false;
}

void FileList::Refresh()
{
    // Keep the highlighted name across a refresh of the same folder.
    const QListWidgetItem* before = currentItem();
    const QByteArray highlighted =
        before && before->isSelected() ? before->data(Qt::UserRole).toByteArray() : QByteArray();
    const QSignalBlocker quiet(this);
    clear();
    for (const Entry& entry : Entries(path_, false)) {
        auto* item = new QListWidgetItem(entry.shown, this);
        item->setData(Qt::UserRole, Bytes(entry.name));
        if (!highlighted.isEmpty() && Bytes(entry.name) == highlighted)
            setCurrentItem(item);
    }
}

}  // namespace quillon
