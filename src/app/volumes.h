// Which mounted volumes "Driver:" offers: the ones a user keeps files on.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quillon {

// One line of the mount table.
struct MountEntry {
    QString device;
    QString mountPoint;
    QString fsType;
    QString options;
};

// The mount table in the form of /proc/self/mounts (octal escapes decoded);
// lines that are not four or more fields are left out.
QList<MountEntry> ParseMountTable(const QByteArray& text);

// The system's mount table: /proc/self/mounts, or Qt's list of volumes where
// there is no such file.
QList<MountEntry> CurrentMountTable();

// Whether a user keeps files on the volume: the root volume, home and data
// volumes, removable media and network mounts are; pseudo and system mounts
// (kernel file systems, /run, /boot, snap images, container internals) are not.
bool UserVolume(const MountEntry& mount);

// The mount points of `table` that are user volumes, each once, sorted; the
// root volume always.
QStringList UserVolumes(const QList<MountEntry>& table);

}  // namespace quillon
