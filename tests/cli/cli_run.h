// Runs the built quillon-cli as a separate process, the way a build job would:
// no display, the C locale, and what it printed kept as bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace quillon::test {

struct CliRun {
    bool started = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    // stderr split into its lines, without the final empty one.
    QByteArrayList ErrLines() const { return Lines(err); }
    QByteArrayList OutLines() const { return Lines(out); }

    static QByteArrayList Lines(QByteArray text)
    {
        if (text.endsWith('\n'))
            text.chop(1);
        return text.isEmpty() ? QByteArrayList() : text.split('\n');
    }
};

inline QString CliPath()
{
    return QStringLiteral(QUILLON_CLI_PATH);
}

inline CliRun RunCli(const QStringList& arguments, const QString& workingFolder = {},
                     const QProcessEnvironment& extra = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    for (const QString& name : extra.keys())
        environment.insert(name, extra.value(name));

    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(CliPath(), arguments);
    CliRun run;
    run.started = process.waitForStarted(10000);
    process.closeWriteChannel();
    if (!run.started || !process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every name in a folder, hidden ones (a left-over temporary file) included, sorted.
inline QStringList FolderEntries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    names.sort();
    return names;
}

inline QStringList Sorted(QStringList names)
{
    names.sort();
    return names;
}

}  // namespace quillon::test
