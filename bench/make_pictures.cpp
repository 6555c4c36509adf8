// Writes COUNT generated 1-bit 122 x 32 pictures, p0000.bmp ..., into FOLDER.
//
//   make_pictures FOLDER COUNT
#include "support/bmp_maker.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_pictures FOLDER COUNT\n");
        return 64;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const int count = std::atoi(argv[2]);
    for (int k = 0; k < count; ++k) {
        const QString path = folder.filePath(QStringLiteral("p%1.bmp").arg(k, 4, 10, QLatin1Char('0')));
        if (!quillon::test::WriteFile(path, quillon::test::MakeBmp(quillon::test::RandomPicture(k)))) {
            std::fprintf(stderr, "make_pictures: cannot write %s\n", qPrintable(path));
            return 2;
        }
    }
    return 0;
}
