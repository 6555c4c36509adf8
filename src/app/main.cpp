// Quillon: the application starts by loading its main window, and opens the
// picture it is given, if any. --help and --version answer without a window,
// and with no display to open it on the program says so in one line.
#include "app/form1.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

constexpr const char* Usage =
    "Usage: quillon [PICTURE]\n"
    "The Quillon window: pick a two-colour 122 x 32 BMP picture, convert it to\n"
    "the LCD's data table (lcd_<name>.txt beside it) and preview the table.\n"
    "PICTURE, if given, is picked as a double-click in the file list picks it.\n"
    "quillon-cli does all this and more without a window; see quillon(1).\n"
    "\n"
    "  -h, --help     print this and exit\n"
    "  --version      print the version and exit\n";

// What Qt says while it opens the display, held until it is open.
QStringList& StartMessages()
{
    static QStringList messages;
    return messages;
}

// Qt ends the process when it cannot open a window; say why in one line
// (what it said of the display, not its advice to reinstall) and end with
// status 1.
void OnQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg) {
        StartMessages() << message;
        return;
    }
    const QString why = StartMessages().isEmpty() ? message.section('\n', 0, 0) : StartMessages().first();
    std::fprintf(stderr, "quillon: no window can be opened: %s\n", qPrintable(why));
    std::_Exit(1);
}

// True when no display is to be had: no platform chosen, and neither X11's
// nor Wayland's variable set.
bool NoDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const auto unset = [](const char* name) { return !std::getenv(name) || !*std::getenv(name); };
    return unset("QT_QPA_PLATFORM") && unset("DISPLAY") && unset("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

}  // namespace

int main(int argc, char* argv[])
{
    for (int k = 1; k < argc; ++k) {
        if (!std::strcmp(argv[k], "--help") || !std::strcmp(argv[k], "-h")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (!std::strcmp(argv[k], "--version")) {
            std::puts("quillon " QUILLON_VERSION);
            return 0;
        }
    }
    if (NoDisplay()) {
        std::fputs("quillon: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset); "
                   "quillon-cli works without one\n",
                   stderr);
        return 1;
    }
    qInstallMessageHandler(OnQtMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString& message : StartMessages())
        std::fprintf(stderr, "%s\n", qPrintable(message));
    QApplication::setFont(quillon::DialogFont());  // message boxes too
    quillon::SharedState state;
    quillon::Form1 form(state);
    form.Form_Load();
    // quillon PICTURE (a file manager's "Open With"): Qt has taken its own
    // options out of argv, the name stays as its bytes.
    if (argc > 1) {
        const std::filesystem::path picture(argv[1]);
        QTimer::singleShot(0, &form, [&form, picture] { form.OpenPicture(picture); });
    }
    return QApplication::exec();
}
