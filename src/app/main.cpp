// Quillon: the application starts by loading its main window, and opens the
// picture it is given, if any.
#include "app/form1.h"

#include <QApplication>
#include <QTimer>

#include <filesystem>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
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
