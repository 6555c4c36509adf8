// Quillon: the application starts by loading its main window.
#include "app/form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setFont(quillon::DialogFont());  // message boxes too
    quillon::SharedState state;
    quillon::Form1 form(state);
    form.Form_Load();
    return QApplication::exec();
}
