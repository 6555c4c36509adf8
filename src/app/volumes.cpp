#include "app/volumes.h"

#include <QFile>
#include <QStorageInfo>

#include <algorithm>

namespace quillon {

namespace {

// /proc/self/mounts writes a space, tab, newline or backslash in a field as \ooo.
QString Unescaped(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype k = 0; k < field.size(); ++k) {
        const auto octal = [&](qsizetype at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[k] == '\\' && octal(k + 1) && octal(k + 2) && octal(k + 3)) {
            out += static_cast<char>((field[k + 1] - '0') * 64 + (field[k + 2] - '0') * 8 + (field[k + 3] - '0'));
            k += 3;
        } else {
            out += field[k];
        }
    }
    return QString::fromUtf8(out);
}

// Kernel, memory and helper file systems: nothing a user keeps files on.
bool PseudoFileSystem(const QString& type)
{
    static const QStringList pseudo{"autofs",        "binfmt_misc",    "bpf",        "cgroup",      "cgroup2",
                                    "configfs",      "debugfs",        "devpts",     "devtmpfs",    "efivarfs",
                                    "fusectl",       "hugetlbfs",      "mqueue",     "nsfs",        "overlay",
                                    "proc",          "pstore",         "ramfs",      "rpc_pipefs",  "securityfs",
                                    "selinuxfs",     "squashfs",       "sysfs",      "tmpfs",       "tracefs",
                                    "nfsd",          "aufs",           "fuse.lxcfs", "fuse.portal", "fuse.gvfsd-fuse",
                                    "fuse.snapfuse", "fuse.squashfuse"};
    return pseudo.contains(type);
}

bool Under(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Folders of the system itself, and where snaps, containers and the session
// keep their mounts. Removable media that udisks mounts under /run/media stay.
bool SystemPlace(const QString& mountPoint)
{
    if (Under(mountPoint, QStringLiteral("/run/media")))
        return false;
    static const QStringList system{"/proc", "/sys", "/dev", "/run", "/boot", "/efi",       "/snap",
                                    "/usr",  "/etc", "/var", "/tmp", "/opt",  "/lost+found"};
    if (std::any_of(system.begin(), system.end(), [&](const QString& folder) { return Under(mountPoint, folder); }))
        return true;
    // A hidden folder anywhere on the way (~/.cache/doc, /.dockerenv) is some program's own.
    return mountPoint.contains(QLatin1String("/."));
}

}  // namespace

QList<MountEntry> ParseMountTable(const QByteArray& text)
{
    QList<MountEntry> table;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 4)
            continue;
        table.append({Unescaped(fields[0]), Unescaped(fields[1]), Unescaped(fields[2]), Unescaped(fields[3])});
    }
    return table;
}

QList<MountEntry> CurrentMountTable()
{
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    if (mounts.open(QIODevice::ReadOnly))  // a proc file: read to its end, its size says 0
        return ParseMountTable(mounts.readAll());
    QList<MountEntry> table;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        table.append({QString::fromUtf8(volume.device()), volume.rootPath(), QString::fromUtf8(volume.fileSystemType()),
                      volume.isReadOnly() ? QStringLiteral("ro") : QStringLiteral("rw")});
    return table;
}

bool UserVolume(const MountEntry& mount)
{
    if (mount.mountPoint == QLatin1String("/"))
        return true;
    return mount.mountPoint.startsWith(QLatin1Char('/')) && !PseudoFileSystem(mount.fsType) &&
           !SystemPlace(mount.mountPoint);
}

QStringList UserVolumes(const QList<MountEntry>& table)
{
    QStringList roots{QStringLiteral("/")};
    for (const MountEntry& mount : table) {
        if (UserVolume(mount) && !roots.contains(mount.mountPoint))
            roots << mount.mountPoint;
    }
    std::sort(roots.begin(), roots.end());
    return roots;
}

}  // namespace quillon
