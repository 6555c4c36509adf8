// Runs the built quillon-cli as a separate process, the way a build job would:
// no display, the C locale, and what it printed kept as bytes.
#pragma once

#include "support/files.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <sys/resource.h>
#include <csignal>

namespace quillon::test {

struct CliRun {
    bool started = false;
    int exitCode = -1;    // -1 when it did not end by itself
    bool killed = false;  // ended by a signal
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

// The command that runs the tool under test: the Linux quillon-cli built here,
// or the one QUILLON_CLI_UNDER_TEST names, a prefix and a program joined with
// "|" (scripts/build-windows --test: scripts/wine-run and quillon-cli.exe).
inline QStringList CliCommand()
{
    static const QStringList command = [] {
        const QString given = qEnvironmentVariable("QUILLON_CLI_UNDER_TEST");
        return given.isEmpty() ? QStringList{QStringLiteral(QUILLON_CLI_PATH)} : given.split(QLatin1Char('|'));
    }();
    return command;
}

// The tool's own file, without a prefix.
inline QString CliPath()
{
    return CliCommand().last();
}

// True when the tool under test is the Windows build (run under Wine). Tests of
// what only Linux has skip themselves then, saying why.
inline bool OnWindows()
{
    return CliPath().endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
}

#define QUILLON_SKIP_ON_WINDOWS(why)       \
    do {                                   \
        if (quillon::test::OnWindows())    \
            QSKIP("not on Windows: " why); \
    } while (false)

// One run with everything a test may set up around it.
struct CliCall {
    QStringList arguments = {};
    QString folder = {};  // working folder; empty: the test's
    QProcessEnvironment extra = {};
    QString fault = {};        // QUILLON_FAULT for the fault library (support/fault_inject.cpp), loaded when set
    QString swapForFifo = {};  // QUILLON_SWAP_FOR_FIFO, the same
    rlim_t addressSpace = 0;   // a limit on the child's memory, when not 0
    QString shell = {};        // when set, run "/bin/sh -c SHELL" with $0 the tool, for names no QString can hold
                               // (with a prefix, $0 is its first word and the rest come first in "$@")
    bool asPrinted = false;    // the Windows build's "\lcd_" left as it printed it
    QStringList command = {};  // another program in place of the tool, run with the tool's prefix (Wine's cmd)
};

inline CliRun RunCliOnce(const CliCall& call)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    for (const QString& name : call.extra.keys())
        environment.insert(name, call.extra.value(name));
    if (!call.fault.isEmpty() || !call.swapForFifo.isEmpty()) {
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(QUILLON_FAULTS_PATH));
        environment.insert(QStringLiteral("QUILLON_FAULT"), call.fault);
        environment.insert(QStringLiteral("QUILLON_SWAP_FOR_FIFO"), call.swapForFifo);
        // A sanitizer build wants its runtime loaded first; the fault library does not use it.
        QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("verify_asan_link_order=0"));
    }

    QProcess process;
    process.setProcessEnvironment(environment);
    if (!call.folder.isEmpty())
        process.setWorkingDirectory(call.folder);
    const rlim_t limit = call.addressSpace;
    const bool faults = !call.fault.isEmpty();
    process.setChildProcessModifier([limit, faults] {
        if (limit > 0) {
            const rlimit space{limit, limit};
            setrlimit(RLIMIT_AS, &space);
        }
        // As started from a terminal, whatever the test runner ignores.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            if (faults)
                std::signal(signal, SIG_DFL);
        }
    });
    const QStringList command =
        call.command.isEmpty() ? CliCommand() : CliCommand().mid(0, CliCommand().size() - 1) + call.command;
    if (call.shell.isEmpty())
        process.start(command.first(), command.mid(1) + call.arguments);
    else
        process.start(QStringLiteral("/bin/sh"), QStringList{"-c", call.shell} + command + call.arguments);
    CliRun run;
    run.started = process.waitForStarted(10000);
    process.closeWriteChannel();
    if (!run.started || !process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.killed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = run.killed ? -1 : process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    if (OnWindows() && !call.asPrinted) {
        // The Windows build joins a folder and a name it made with "\"; the
        // tests give Unix folders and expect "/" there (tst_cli_windows.cpp
        // checks the Windows spelling itself).
        run.out.replace("\\lcd_", "/lcd_");
        run.err.replace("\\lcd_", "/lcd_");
    }
    return run;
}

// Under Wine 8.0 about one start in 3,000 ends at once with status 1, nothing
// printed and nothing written, whatever the command (seen with one test
// program at a time too; with Wine's debug channels on it was not seen). The
// tool itself never ends with 1 in silence (--check names each file it finds
// stale), so such a run is Wine's: it is run again, and the log says so.
inline CliRun RunCli(const CliCall& call)
{
    CliRun run = RunCliOnce(call);
    for (int again = 0; again < 2 && OnWindows() && run.exitCode == 1 && run.out.isEmpty() && run.err.isEmpty();
         ++again) {
        qWarning("Wine ended the start of %s with status 1 and nothing printed; running it again",
                 qPrintable(call.arguments.join(' ')));
        run = RunCliOnce(call);
    }
    return run;
}

inline CliRun RunCli(const QStringList& arguments, const QString& workingFolder = {},
                     const QProcessEnvironment& extra = {})
{
    return RunCli(CliCall{arguments, workingFolder, extra});
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
