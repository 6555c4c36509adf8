// Loads Qt Core, touches a string and ends: the least any program built on the
// core pays at start, to set quillon-cli's own figures against.
#include <QString>

#include <cstdio>

int main(int argc, char**)
{
    const QString text = QString::number(argc);
    std::fputs(qPrintable(text), stdout);
    return 0;
}
