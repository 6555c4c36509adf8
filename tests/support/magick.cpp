#include "magick.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace quillon::test {

QByteArray Convert(const QStringList& arguments)
{
    // ImageMagick's own convert, not a stand-in earlier on the path.
    QString program = QStandardPaths::findExecutable(QStringLiteral("convert"), {QStringLiteral("/usr/bin")});
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (program.isEmpty()) {
        qWarning("convert was not found: install the Debian package imagemagick");
        return {};
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("convert %s failed: %s", qPrintable(arguments.join(' ')), process.readAllStandardError().constData());
        return {};
    }
    QByteArray out = process.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

QStringList SamplePicture()
{
    return {"-size",     "13x7",  "gradient:red-blue", "-fill", "#20C040",   "-draw", "rectangle 3,2 8,4", "-fill",
            "#FFFF0080", "-draw", "point 1,1",         "-fill", "#00000000", "-draw", "point 12,6",        "-depth",
            "8"};
}

QByteArray MagickRgba(const QString& path)
{
    return Convert({path, "-depth", "8", "rgba:-"});
}

}  // namespace quillon::test
