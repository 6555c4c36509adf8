// "Driver:" offers the volumes a user keeps files on, chosen from a fixed
// mount table as the system writes it.
#include "app/volumes.h"

#include <QTest>

using namespace quillon;

class VolumesTest : public QObject {
    Q_OBJECT
private slots:
    void userVolume_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("listed");
        const auto row = [](const char* name, const char* line, bool listed) {
            QTest::newRow(name) << QByteArray(line) << listed;
        };
        row("root", "/dev/sda2 / ext4 rw,relatime 0 0", true);
        row("container root", "overlay / overlay rw,lowerdir=/a:/b 0 0", true);
        row("home", "/dev/sda3 /home ext4 rw 0 0", true);
        row("stick in /media", "/dev/sdc1 /media/ann/USB\\040STICK vfat rw,nosuid 0 0", true);
        row("stick in /run/media", "/dev/sdd1 /run/media/ann/CAMERA exfat rw 0 0", true);
        row("NFS", "server:/export /mnt/projects nfs4 rw 0 0", true);
        row("sshfs", "ann@host:/ /home/ann/remote fuse.sshfs rw 0 0", true);
        row("proc", "proc /proc proc rw 0 0", false);
        row("cgroups", "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0", false);
        row("shared memory", "tmpfs /dev/shm tmpfs rw 0 0", false);
        row("session", "tmpfs /run/user/1000 tmpfs rw 0 0", false);
        row("gvfs", "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0", false);
        row("snap image", "/dev/loop3 /snap/core22/1380 squashfs ro 0 0", false);
        row("EFI", "/dev/sda1 /boot/efi vfat rw 0 0", false);
        row("docker layer", "overlay /var/lib/docker/overlay2/ab12/merged overlay rw 0 0", false);
        row("container hosts file", "/dev/sda2 /etc/hosts ext4 rw 0 0", false);
        row("hidden folder", "/dev/sda3 /home/ann/.cache/mnt ext4 rw 0 0", false);
    }
    void userVolume()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, listed);
        const QList<MountEntry> table = ParseMountTable(line);
        QCOMPARE(table.size(), 1);
        QCOMPARE(UserVolume(table.first()), listed);
    }

    void parse()
    {
        const QList<MountEntry> table = ParseMountTable(
            "/dev/sdc1 /media/ann/My\\040Stick\\011two vfat rw,nosuid 0 0\n"
            "\n"
            "broken line\n"
            "/dev/sda2 / ext4 rw");
        QCOMPARE(table.size(), 2);
        QCOMPARE(table[0].device, QStringLiteral("/dev/sdc1"));
        QCOMPARE(table[0].mountPoint, QStringLiteral("/media/ann/My Stick\ttwo"));
        QCOMPARE(table[0].fsType, QStringLiteral("vfat"));
        QCOMPARE(table[0].options, QStringLiteral("rw,nosuid"));
        QCOMPARE(table[1].mountPoint, QStringLiteral("/"));
    }

    void wholeTable_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QStringList>("volumes");
        QTest::newRow("desktop") << QByteArray(
                                        "proc /proc proc rw 0 0\n"
                                        "/dev/sda3 /home ext4 rw 0 0\n"
                                        "/dev/sda2 / ext4 rw 0 0\n"
                                        "tmpfs /run tmpfs rw 0 0\n"
                                        "/dev/sda1 /boot/efi vfat rw 0 0\n"
                                        "/dev/sdc1 /media/ann/STICK vfat rw 0 0\n"
                                        "/dev/sda3 /home ext4 rw 0 0\n")
                                 << QStringList{"/", "/home", "/media/ann/STICK"};
        QTest::newRow("empty") << QByteArray() << QStringList{"/"};
    }
    void wholeTable()
    {
        QFETCH(QByteArray, table);
        QFETCH(QStringList, volumes);
        QCOMPARE(UserVolumes(ParseMountTable(table)), volumes);
    }
};

QTEST_MAIN(VolumesTest)
#include "tst_volumes_gui.moc"
