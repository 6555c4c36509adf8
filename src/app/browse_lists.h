// The three browsing lists of the main window: volumes, folders, picture files.
#pragma once

#include <QComboBox>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QTreeWidget>

#include <filesystem>

namespace quillon {

// The nearest folder at or above `path` that exists and can be listed; empty if none.
std::filesystem::path NearestReadableFolder(const std::filesystem::path& path);

// Mounted volumes by their root paths. Changing the volume, by the user or in
// code, emits Change at once.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);
    QString Drive() const;
    // Selects the volume that holds `path`.
    void SetDriveOf(const QString& path);
    // Selects the volume without raising Change (used to undo a failed change).
    void ShowDriveOf(const QString& path);

signals:
    void Change();

private:
    int IndexOfVolume(const QString& path);
};

// The current folder, the way up to it, and its subfolders. Opening one
// (double-click or Enter) makes it current; every change of folder emits Change.
// A folder that cannot be listed, or disappears while shown, gives way to the
// nearest readable folder above it; one the user has no permission for says so.
class DirList : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirList(QWidget* parent = nullptr);
    // The folder as shown, and as the file system spells it (its name need not be UTF-8).
    QString Path() const;
    const std::filesystem::path& RawPath() const { return path_; }
    // Returns false, and changes nothing, when neither `path` nor any folder above it can be listed.
    bool SetPath(const std::filesystem::path& path);
    bool SetPath(const QString& path);

signals:
    void Change();

protected:
    // Every level is always open: no expand marks.
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void Rebuild();
    void SayCannotOpen(const std::filesystem::path& folder);
    void FolderChanged();

    std::filesystem::path path_;
    QFileSystemWatcher watcher_;
};

// The entries of one folder that match "*.bmp" in any case, in name order.
// A single click highlights a name; a double-click, or Enter on a highlighted
// name, emits DblClick. Both lists frame themselves while they have the focus,
// and show a name cut short whole in a tool tip.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);
    QString Path() const;
    void SetPath(const std::filesystem::path& path);
    void SetPath(const QString& path);
    // The highlighted name as shown, without folder; empty when none is.
    QString FileName() const;
    // The highlighted file as the file system spells it; empty when none is.
    std::filesystem::path FilePath() const;
    // Highlights the entry of that name, as a click would; false when the list has none.
    bool Highlight(const std::filesystem::path& name);
    QString Pattern() const { return QStringLiteral("*.bmp"); }

signals:
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void Refresh();

    std::filesystem::path path_;
    QFileSystemWatcher watcher_;
};

}  // namespace quillon
