// Helpers for the window tests: modal windows are answered from a timer.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QListWidget;

namespace quillon::test {

// Waits (from a timer, while the caller is blocked in a modal window) for the
// next modal window, hands it to `inspect`, then closes it. Gives up after
// twenty seconds (a busy machine is slow to show one), so a missing window
// fails the test instead of hanging it.
// Only a modal window of class `kind` counts (a message box over a dialog).
// The watch ends with the returned guard, so it never outlives the test.
[[nodiscard]] std::unique_ptr<QObject> WhenModal(std::function<void(QWidget* modal)> inspect,
                                                 const char* kind = "QDialog");

// The title and text of a message box, as a user reads them.
struct BoxSeen {
    bool shown = false;
    QString title;
    QString text;
    int buttons = 0;
    int icon = -1;
};
// Arms WhenModal for a message box and records what it showed.
[[nodiscard]] std::unique_ptr<QObject> RecordNextBox(BoxSeen& seen);

// Double-clicks the file list's row with `name`, as a user would.
bool DoubleClickName(QListWidget* list, const QString& name);
bool ClickName(QListWidget* list, const QString& name);

}  // namespace quillon::test

#include "app/form1.h"

#include <QImage>
#include <QTemporaryDir>

namespace quillon::test {

// The bytes of a file; empty when it cannot be read.
QByteArray Contents(const QString& path);

// A main window as the program starts it, with its own shared state, and a
// scratch folder to browse to.
struct MainWindow {
    MainWindow();
    // Points the folder list at `folder`, as a user opening it would.
    void Browse(const QString& folder);
    // Writes a picture into the scratch folder, browses there, double-clicks it.
    void Pick(const QString& name, const QByteArray& bytes);

    SharedState state;
    Form1 form{state};
    QTemporaryDir scratch;
};

// Opens the preview as the user would and runs `inside` while it is up.
void WithPreview(MainWindow& main, const std::function<void(Form2&)>& inside);

// The dots the preview shows, as painted on the screen.
QImage PaintedDots(const Form2& preview);

}  // namespace quillon::test

namespace quillon::test {

// Records and closes every modal message box until the guard ends.
[[nodiscard]] std::unique_ptr<QObject> RecordEveryBox(QList<BoxSeen>& seen);

// Runs as an ordinary user while it lives: root may open and write any
// folder, so tests of permissions drop to user "nobody" when run as root.
// Folders the test makes must then let that user in (see Share).
class AsOrdinaryUser {
public:
    AsOrdinaryUser();
    ~AsOrdinaryUser();
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;
    bool ok() const { return ok_; }

private:
    bool dropped_ = false;
    bool ok_ = true;
};

// Lets everyone into `folder` (and list it), so that AsOrdinaryUser can reach what lies inside.
bool Share(const QString& folder);

}  // namespace quillon::test
