// What quillon-cli does to the files around it, run as a process: the picture
// never overwritten, pipes and devices left as they are, links followed only to
// an existing file, a replaced listing keeping its owner, mode and attributes,
// nothing left behind by a signal, odd names, files swapped under it, and
// listings far too large.
#include "cli/cli_run.h"
#include "support/bmp_maker.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace quillon;
using namespace quillon::test;

namespace {

QByteArray Listing(unsigned seed)
{
    const BmpRecipe recipe = RandomPicture(seed);
    return ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 0; });
}

struct stat Lstat(const QString& path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

// Temporary files of the tool: hidden names beginning ".lcd_".
QStringList Temporaries(const QString& folder)
{
    return FolderEntries(folder).filter(QRegularExpression(QStringLiteral("^\\.lcd_")));
}

QByteArray Name(const QString& path)
{
    return QFile::encodeName(path);
}

// What a symbolic link says, as written.
QByteArray LinkText(const QString& path)
{
    QByteArray text(4096, '\0');
    const ssize_t size = ::readlink(Name(path).constData(), text.data(), static_cast<std::size_t>(text.size()));
    text.resize(size > 0 ? size : 0);
    return text;
}

// A socket file at `path`, as a program listening on it leaves it.
bool MakeSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = Name(path);
    if (fd < 0 || static_cast<std::size_t>(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const bool made = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return made;
}

}  // namespace

class CliFilesTest : public QObject {
    Q_OBJECT
private slots:
    // The listing would land on the picture, by its own name or through a link.
    void pictureIsNeverOverwritten_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("-o names the picture") << "output";
        QTest::newRow("-o names a link to the picture") << "output link";
        QTest::newRow("-o names a hard link to the picture") << "output hard link";
        QTest::newRow("the listing beside it is a link to the picture") << "listing link";
    }
    void pictureIsNeverOverwritten()
    {
        QFETCH(QString, how);
        QTemporaryDir folder;
        const QString picture = folder.filePath("pic.bmp");
        const QByteArray bytes = MakeBmp(RandomPicture(1));
        QVERIFY(WriteFile(picture, bytes));
        QStringList arguments{"convert", picture};
        QString named = picture;
        if (how == "output link" || how == "output hard link") {
            named = folder.filePath("out.inc");
            QVERIFY(how == "output link" ? QFile::link(picture, named)
                                         : ::link(Name(picture).constData(), Name(named).constData()) == 0);
        }
        if (how == "listing link") {
            named = folder.filePath("lcd_pic.txt");
            QVERIFY(QFile::link(picture, named));
        } else {
            arguments << "-o" << named;
        }
        const QStringList before = FolderEntries(folder.path());

        const CliRun run = RunCli(arguments);

        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.ErrLines(),
                 QByteArrayList({"quillon-cli: " + Name(named) +
                                 ": cannot be written: it is the picture itself; it is left as it is"}));
        QCOMPARE(FileBytes(picture), bytes);
        QCOMPARE(FolderEntries(folder.path()), before);
    }

    // Beside the picture only a regular file is replaced; what else stands
    // there, directly or behind a link, is refused and left as it is.
    void specialFileBesideIsRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("throughLink");
        for (const bool link : {false, true}) {
            const char* via = link ? ", through a link" : "";
            QTest::addRow("named pipe%s", via) << "pipe" << link;
            QTest::addRow("character device%s", via) << "device" << link;
            QTest::addRow("socket%s", via) << "socket" << link;
        }
    }
    void specialFileBesideIsRefused()
    {
        QFETCH(QString, kind);
        QFETCH(bool, throughLink);
        if (kind == "socket")
            QUILLON_SKIP_ON_WINDOWS("Windows has no sockets in the file system (Wine: error 433)");
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("pic.bmp"), MakeBmp(RandomPicture(2))));
        const QString listing = folder.filePath("lcd_pic.txt");
        QString node = throughLink ? folder.filePath("node") : listing;
        if (kind == "pipe")
            QCOMPARE(::mkfifo(Name(node).constData(), 0644), 0);
        if (kind == "socket")
            QVERIFY(MakeSocket(node));
        if (kind == "device") {
            // A node of our own for the null device where we may make one; otherwise the system's.
            if (::mknod(Name(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                node = QStringLiteral("/dev/null");
            if (!throughLink && node != listing)
                QSKIP("only root can make a device node in a folder of its own");
        }
        if (throughLink)
            QVERIFY(QFile::link(node, listing));
        const struct stat before = Lstat(node);

        const CliRun run = RunCli({"convert", folder.filePath("pic.bmp")});

        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.ErrLines(),
                 QByteArrayList({"quillon-cli: " + Name(listing) +
                                 ": cannot be written: A device, pipe or socket of that name is in the way; only a "
                                 "regular file is replaced."}));
        const struct stat after = Lstat(node);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(Temporaries(folder.path()), QStringList());
    }

    // An explicit --output that is a pipe or a character device is written
    // into, as a shell's ">" would; standard output by any of its names.
    void givenPipeOrDeviceIsWrittenInto_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe a script reads") << "pipe";
        QTest::newRow("the null device") << "device";
        QTest::newRow("/dev/stdout") << "stdout";
        QTest::newRow("/proc/self/fd/1") << "fd";
    }
    void givenPipeOrDeviceIsWrittenInto()
    {
        QFETCH(QString, kind);
        if (kind == "stdout" || kind == "fd")
            QUILLON_SKIP_ON_WINDOWS("/dev/stdout and /proc/self/fd are Linux names (tst_cli_windows writes into NUL)");
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("pic.bmp"), MakeBmp(RandomPicture(3))));
        QString output = kind == "stdout" ? "/dev/stdout" : kind == "fd" ? "/proc/self/fd/1" : folder.filePath("out");
        int reader = -1;
        if (kind == "pipe") {
            QCOMPARE(::mkfifo(Name(output).constData(), 0644), 0);
            reader = ::open(Name(output).constData(), O_RDONLY | O_NONBLOCK);  // the script, already reading
            QVERIFY(reader >= 0);
        }
        if (kind == "device" && ::mknod(Name(output).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            output = QStringLiteral("/dev/null");  // not root: the system's, which we may not replace anyway
        const struct stat before = Lstat(output);

        const CliRun run = RunCli({"convert", "-o", output, folder.filePath("pic.bmp")});

        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        if (kind == "stdout" || kind == "fd") {
            QCOMPARE(run.out, Listing(3));
            return;
        }
        QCOMPARE(run.out, Name(output) + "\n");
        const struct stat after = Lstat(output);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
        if (reader >= 0) {
            QByteArray got(4096, '\0');
            const ssize_t size = ::read(reader, got.data(), static_cast<std::size_t>(got.size()));
            ::close(reader);
            got.resize(size > 0 ? size : 0);
            QCOMPARE(got, Listing(3));
        }
    }

    // A link to an existing listing stays and its target is replaced; a link
    // to nothing is refused, so a planted link sends nothing elsewhere.
    void links_data()
    {
        QTest::addColumn<QString>("target");  // what the link beside the picture points at
        QTest::addColumn<bool>("written");
        QTest::newRow("a listing in another folder") << "elsewhere/lcd_kept.txt" << true;
        QTest::newRow("a link to a listing") << "second-link" << true;
        QTest::newRow("nothing") << "elsewhere/planted.txt" << false;
        QTest::newRow("nothing, in no folder") << "gone/planted.txt" << false;
    }
    void links()
    {
        QUILLON_SKIP_ON_WINDOWS("Wine sees a Unix symbolic link as the file it leads to, not as a link");
        QFETCH(QString, target);
        QFETCH(bool, written);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("elsewhere"));
        QVERIFY(WriteFile(folder.filePath("pic.bmp"), MakeBmp(RandomPicture(4))));
        const QString real = folder.filePath("elsewhere/lcd_kept.txt");
        if (target == "second-link") {
            QVERIFY(WriteFile(real, "earlier\r\n"));
            QVERIFY(QFile::link(real, folder.filePath("second-link")));
        } else if (written) {
            QVERIFY(WriteFile(real, "earlier\r\n"));
        }
        const QString listing = folder.filePath("lcd_pic.txt");
        QVERIFY(QFile::link(folder.filePath(target), listing));

        const CliRun run = RunCli({"convert", folder.filePath("pic.bmp")});

        QCOMPARE(LinkText(listing), Name(folder.filePath(target)));  // the link itself stays
        if (written) {
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(FileBytes(real), Listing(4));
            QCOMPARE(FolderEntries(folder.filePath("elsewhere")), QStringList({"lcd_kept.txt"}));
            return;
        }
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains("cannot be written: It is a symbolic link to nothing"), run.err.constData());
        QVERIFY(!QFileInfo::exists(folder.filePath(target)));
        QCOMPARE(FolderEntries(folder.filePath("elsewhere")), QStringList());
    }

    // Replacing keeps what the file's owner set: permissions, owner and group
    // (when the process may set them) and user.* attributes.
    void replacementKeepsOwnership_data()
    {
        QTest::addColumn<uint>("mode");
        QTest::addColumn<bool>("asOtherUser");  // rewritten by a member of the file's group, not its owner
        QTest::newRow("0640 by root") << 0640u << false;
        QTest::newRow("0604, set-group-id, by root") << 02604u << false;
        QTest::newRow("0664 by a member of the group") << 0664u << true;
        QTest::newRow("0020 by a member of the group, who can then only write it") << 0020u << true;
    }
    void replacementKeepsOwnership()
    {
        QUILLON_SKIP_ON_WINDOWS("Unix owner, group and mode bits (setpriv); Windows files have ACLs");
        QFETCH(uint, mode);
        QFETCH(bool, asOtherUser);
        if (::geteuid() != 0)
            QSKIP("files of other users are made as root");
        constexpr uid_t Owner = 4321;
        constexpr gid_t Group = 4300;
        constexpr uid_t Member = 4322;
        QTemporaryDir folder;
        QVERIFY(::chmod(Name(folder.path()).constData(), 0777) == 0);
        const QString picture = folder.filePath("pic.bmp");
        QVERIFY(WriteFile(picture, MakeBmp(RandomPicture(5))));
        QVERIFY(::chmod(Name(picture).constData(), 0644) == 0);
        const QString listing = folder.filePath("lcd_pic.txt");
        QVERIFY(WriteFile(listing, "earlier\r\n"));
        QCOMPARE(::chown(Name(listing).constData(), Owner, Group), 0);
        QCOMPARE(::chmod(Name(listing).constData(), mode), 0);
        const bool attributes = ::setxattr(Name(listing).constData(), "user.origin", "lab", 3, 0) == 0;

        CliCall call{{"convert", picture}};
        if (asOtherUser) {
            call.shell =
                QStringLiteral("exec setpriv --reuid=%1 --regid=%1 --groups=%2 \"$0\" \"$@\"").arg(Member).arg(Group);
        }
        const CliRun run = RunCli(call);

        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(FileBytes(listing), Listing(5));
        const struct stat after = Lstat(listing);
        // A member of the group cannot give the file to its owner; the group and mode stay all the same.
        QCOMPARE(after.st_uid, asOtherUser ? Member : Owner);
        QCOMPARE(after.st_gid, Group);
        QCOMPARE(after.st_mode & 07777, mode);
        if (attributes && (mode & 0444)) {  // attributes are read only by one who may read the file
            char value[8] = {};
            QCOMPARE(::getxattr(Name(listing).constData(), "user.origin", value, sizeof value), ssize_t{3});
            QCOMPARE(QByteArray(value), QByteArray("lab"));
        }
        QCOMPARE(Temporaries(folder.path()), QStringList());
    }

    // A new listing gets the usual permissions, not a temporary file's 0600.
    void newListingHasUsualMode()
    {
        QUILLON_SKIP_ON_WINDOWS("the umask and Unix mode bits");
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("pic.bmp"), MakeBmp(RandomPicture(6))));
        CliCall call{{"convert", folder.filePath("pic.bmp")}};
        call.shell = QStringLiteral("umask 027; exec \"$0\" \"$@\"");
        const CliRun run = RunCli(call);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(Lstat(folder.filePath("lcd_pic.txt")).st_mode & 07777, 0640u);
    }

    // A signal at any moment of a replacement: the earlier listing is whole,
    // old or new, and no temporary file is left (after SIGKILL at most one: a
    // batch's files get their names only as each takes its place). A batch
    // writes every file, syncs them together, then renames them.
    void signalLeavesNothingBehind_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("replaced");  // listings of the batch already replaced
        for (const char* signal : {"INT", "TERM", "HUP"}) {
            QTest::addRow("%s after the temporary file is made", signal) << QStringLiteral("create:1:") + signal << 0;
            QTest::addRow("%s after it is written", signal) << QStringLiteral("write:1:") + signal << 0;
            QTest::addRow("%s after the batch reaches the disk", signal) << QStringLiteral("syncfs:1:") + signal << 0;
            QTest::addRow("%s before it takes the listing's place", signal)
                << QStringLiteral("rename:1:") + signal << 0;
            QTest::addRow("%s after it took the listing's place", signal) << QStringLiteral("renamed:1:") + signal << 1;
            QTest::addRow("%s in the third picture of a batch", signal) << QStringLiteral("write:3:") + signal << 0;
            QTest::addRow("%s between a batch's renames", signal) << QStringLiteral("renamed:2:") + signal << 2;
        }
        QTest::newRow("KILL after the last temporary file is written") << "write:4:KILL" << 0;
        QTest::newRow("KILL after the batch reaches the disk") << "syncfs:1:KILL" << 0;
        QTest::newRow("KILL before the third rename") << "rename:3:KILL" << 2;
    }
    void signalLeavesNothingBehind()
    {
        QUILLON_SKIP_ON_WINDOWS(
            "POSIX signals sent by the fault library (LD_PRELOAD), which a Windows program never loads");
        QFETCH(QString, fault);
        QFETCH(int, replaced);
        QTemporaryDir folder;
        QStringList arguments{"convert"};
        const QByteArray earlier = "        DB 00H;\r\n";
        for (int k = 0; k < 4; ++k) {
            const QString picture = folder.filePath(QStringLiteral("p%1.bmp").arg(k));
            QVERIFY(WriteFile(picture, MakeBmp(RandomPicture(10 + k))));
            QVERIFY(WriteFile(folder.filePath(QStringLiteral("lcd_p%1.txt").arg(k)), earlier));
            arguments << picture;
        }

        CliCall call{arguments};
        call.fault = fault;
        const CliRun run = RunCli(call);

        QVERIFY(run.started);
        QVERIFY(run.killed);
        const QStringList left = Temporaries(folder.path());
        if (fault.endsWith("KILL"))
            QVERIFY2(left.size() <= 1, qPrintable(left.join(' ')));
        else
            QCOMPARE(left, QStringList());
        for (int k = 0; k < 4; ++k)
            QCOMPARE(FileBytes(folder.filePath(QStringLiteral("lcd_p%1.txt").arg(k))),
                     k < replaced ? Listing(10 + k) : earlier);
    }

    // Past a file-size limit (ulimit -f 1: 512 bytes) the write fails: no
    // temporary file, the earlier file kept, one line naming it, exit 2.
    void fileSizeLimit_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("written");
        QTest::newRow("beside the picture") << QStringList() << "lcd_p.txt";
        QTest::newRow("--output") << QStringList{"-o", "out.txt"} << "out.txt";
    }
    void fileSizeLimit()
    {
        QUILLON_SKIP_ON_WINDOWS("a POSIX resource limit");
        QFETCH(QStringList, options);
        QFETCH(QString, written);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("p.bmp"), MakeBmp(RandomPicture(3))));
        const QByteArray earlier = "        DB 00H;\r\n";
        QVERIFY(WriteFile(folder.filePath(written), earlier));

        CliCall call{QStringList{"convert"} + options + QStringList{"p.bmp"}, folder.path()};
        call.shell = QStringLiteral("ulimit -f 1; exec \"$0\" \"$@\"");
        const CliRun run = RunCli(call);
        QVERIFY(!run.killed);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.ErrLines(),
                 QByteArrayList{"quillon-cli: " + written.toUtf8() + ": cannot be written: File too large"});
        QCOMPARE(FolderEntries(folder.path()), (QStringList{written, "p.bmp"}));
        QCOMPARE(FileBytes(folder.filePath(written)), earlier);
    }

    // Names that are not valid UTF-8 are the bytes they are, in and out.
    void namesThatAreNotUtf8()
    {
        QUILLON_SKIP_ON_WINDOWS("Windows names are UTF-16: a name that is not UTF-8 has no Windows spelling");
        QTemporaryDir folder;
        const QByteArray bytes = MakeBmp(RandomPicture(7));
        const QByteArray name = "Bild\xe4\xff.BMP";  // Latin-1 "ä" and a byte no encoding uses
        const QByteArray path = Name(folder.path()) + "/" + name;
        FILE* file = std::fopen(path.constData(), "wb");
        QVERIFY(file);
        QCOMPARE(std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), file),
                 static_cast<std::size_t>(bytes.size()));
        std::fclose(file);

        CliCall call{{}, folder.path()};
        call.shell = QStringLiteral("exec \"$0\" convert ./Bild*; ");
        const CliRun converted = RunCli(call);
        QCOMPARE(converted.err, QByteArray());
        QCOMPARE(converted.exitCode, 0);
        QCOMPARE(converted.out, "./lcd_Bild\xe4\xff.txt\n");

        call.shell = QStringLiteral("exec \"$0\" preview ./lcd_Bild*");
        const CliRun previewed = RunCli(call);
        QCOMPARE(previewed.exitCode, 0);
        QCOMPARE(previewed.OutLines().size(), 32);
        for (const QByteArray& made : {path, Name(folder.path()) + "/lcd_Bild\xe4\xff.txt"})
            QCOMPARE(::unlink(made.constData()), 0);  // names QTemporaryDir cannot spell
    }

    // A file that turns into a named pipe between any look at it and its
    // opening is refused at once, never waited on.
    void fileSwappedForPipe_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("swapped");  // relative to the scratch folder
        QTest::addColumn<QByteArray>("kind");
        QTest::newRow("picture") << QStringList{"convert", "pic.bmp"} << "pic.bmp" << QByteArray("a picture file");
        QTest::newRow("listing being checked")
            << QStringList{"convert", "--check", "pic.bmp"} << "lcd_pic.txt" << QByteArray("a listing");
        QTest::newRow("listing being previewed")
            << QStringList{"preview", "lcd_pic.txt"} << "lcd_pic.txt" << QByteArray("a listing");
    }
    void fileSwappedForPipe()
    {
        QUILLON_SKIP_ON_WINDOWS(
            "the swap is made by the fault library (LD_PRELOAD), which a Windows program never loads");
        QFETCH(QStringList, arguments);
        QFETCH(QString, swapped);
        QFETCH(QByteArray, kind);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("pic.bmp"), MakeBmp(RandomPicture(8))));
        QVERIFY(WriteFile(folder.filePath("lcd_pic.txt"), Listing(8)));
        CliCall call{arguments, folder.path()};
        call.swapForFifo = swapped;

        const CliRun run = RunCli(call);

        QVERIFY2(run.exitCode == 2, run.err.constData());  // -1 would be a run that never ended
        QCOMPARE(run.ErrLines(),
                 QByteArrayList({"quillon-cli: " + Name(swapped) +
                                 ": cannot be read: It is a device, pipe or socket, not " + kind + "."}));
        QVERIFY(S_ISFIFO(Lstat(folder.filePath(swapped)).st_mode));  // the swap did happen
    }

    // A listing far larger than any real one is previewed in bounded memory and
    // linear time, whether it has line ends or not.
    void hugeListingInBoundedMemory_data()
    {
        // 256 MiB, four times the memory the process may have; in a sanitizer
        // build, which reads some fifty times slower, 17 MiB: still more than
        // is read of a file whole. 1 MiB is read whole, and must be shown alike.
#if defined(__SANITIZE_ADDRESS__)
        constexpr off_t Huge = off_t{17} << 20;
#else
        constexpr off_t Huge = off_t{256} << 20;
#endif
        QTest::addColumn<bool>("lineEnds");
        QTest::addColumn<off_t>("size");
        QTest::newRow("one line") << false << Huge;
        QTest::newRow("256 lines") << true << Huge;
        QTest::newRow("one line, read whole") << false << (off_t{1} << 20);
    }
    void hugeListingInBoundedMemory()
    {
        QFETCH(bool, lineEnds);
        QFETCH(off_t, size);
        QTemporaryDir folder;
        const QString listing = folder.filePath("lcd_huge.txt");
        {
            // Sparse: no disk is used for the zero bytes. It begins as a
            // listing does; a file that does not is refused at once.
            const int fd = ::open(Name(listing).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::ftruncate(fd, size), 0);
            QCOMPARE(::pwrite(fd, "        DB ", 11, 0), ssize_t{11});
            for (off_t at = size / 256 - 1; lineEnds && at < size; at += size / 256)
                QCOMPARE(::pwrite(fd, "\n", 1, at), ssize_t{1});
            ::close(fd);
        }
        CliCall call{{"preview", listing}};
#if !defined(__SANITIZE_ADDRESS__)
        // The whole process, libraries and all; under Wine the limit would bind
        // Wine's own reservations, so there only the output and the time are checked.
        if (!OnWindows())
            call.addressSpace = rlim_t{64} << 20;
#endif
        QElapsedTimer clock;
        clock.start();
        const CliRun run = RunCli(call);

        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.OutLines().size(), 32);
        QVERIFY2(!run.err.contains("out of memory"), run.err.constData());
        const QByteArray name = "quillon-cli: " + Name(listing);
        const QByteArray foreign = "holds characters that are not hexadecimal digits; their dots are left unpainted";
        const QByteArrayList lines = run.ErrLines();
        QCOMPARE(lines.first(), name + ":1: " + foreign);
        if (lineEnds) {
            QCOMPARE(lines.size(), 102);  // 100 lines named, a count of the rest, the dots never painted
            QCOMPARE(lines[99], name + ":100: " + foreign);
            QCOMPARE(lines[100], name + ": 156 more lines cannot be read whole");
        }
        qInfo("%lld ms for %s", static_cast<long long>(clock.elapsed()), QTest::currentDataTag());
    }
};

QTEST_GUILESS_MAIN(CliFilesTest)
#include "tst_cli_files.moc"
