// What the tool does to files: a conversion that fails half-way leaves the
// earlier listing as it was, and a whole session writes nothing but the
// listing next to the picture.
#include "app/path_text.h"
#include "app/form2.h"
#include "support/bmp_maker.h"
#include "support/gui_helpers.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>
#include <map>

using namespace quillon;
using namespace quillon::test;

namespace {

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// Files may grow to `bytes` only, as on a full disk, while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        applied_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    bool applied() const { return applied_; }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
    bool applied_ = false;
};

// Every entry under `root`: kind and, for files, size, change time and a digest.
// A folder's own time changes with its entries, which are compared one by one.
std::map<QString, QString> Snapshot(const QString& root)
{
    std::map<QString, QString> entries;
    QDirIterator walk(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString path = walk.next();
        const QFileInfo info = walk.fileInfo();
        QString facts = info.isSymLink() ? QStringLiteral("link ") + info.symLinkTarget()
                        : info.isDir()   ? QStringLiteral("folder")
                                         : QStringLiteral("file %1").arg(info.size());
        if (info.isFile() && !info.isSymLink()) {
            facts += QLatin1Char(' ') + info.lastModified().toString(Qt::ISODateWithMs) + QLatin1Char(' ') +
                     QCryptographicHash::hash(Contents(path), QCryptographicHash::Sha1).toHex();
        }
        entries[QDir(root).relativeFilePath(path)] = facts;
    }
    return entries;
}

QStringList Changes(const std::map<QString, QString>& before, const std::map<QString, QString>& after)
{
    QStringList changes;
    for (const auto& [path, facts] : after) {
        const auto was = before.find(path);
        if (was == before.end())
            changes << QStringLiteral("added ") + path;
        else if (was->second != facts)
            changes << QStringLiteral("changed ") + path;
    }
    for (const auto& [path, facts] : before) {
        if (!after.count(path))
            changes << QStringLiteral("removed ") + path;
    }
    return changes;
}

// Points the places a program may write to on its own at folders under `root`
// while it lives: home, the XDG folders, the temporary folder, the current folder.
class Confined {
public:
    explicit Confined(const QString& root) : root_(root), currentBefore_(QDir::currentPath())
    {
        const std::pair<const char*, const char*> places[] = {
            {"HOME", "home"},
            {"XDG_CONFIG_HOME", "home/.config"},
            {"XDG_CACHE_HOME", "home/.cache"},
            {"XDG_DATA_HOME", "home/.local/share"},
            {"XDG_STATE_HOME", "home/.local/state"},
            {"XDG_RUNTIME_DIR", "runtime"},
            {"TMPDIR", "tmp"},
        };
        for (const auto& [name, folder] : places) {
            saved_.emplace_back(name, qgetenv(name), qEnvironmentVariableIsSet(name));
            const QString path = root + QLatin1Char('/') + QLatin1String(folder);
            QDir().mkpath(path);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv(name, QFile::encodeName(path));
        }
        QDir().mkpath(root + QStringLiteral("/work"));
        QDir::setCurrent(root + QStringLiteral("/work"));
    }
    ~Confined()
    {
        QDir::setCurrent(currentBefore_);
        for (const auto& [name, value, wasSet] : saved_) {
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

private:
    QString root_;
    QString currentBefore_;
    std::vector<std::tuple<const char*, QByteArray, bool>> saved_;
};

void Convert(MainWindow& main)
{
    QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
}

}  // namespace

class DataSafetyTest : public QObject {
    Q_OBJECT
private slots:
    // The disk fills up while the listing is written: the listing of the
    // earlier conversion stays, byte for byte, and no temporary file is left.
    void fullDisk_data()
    {
        QTest::addColumn<int>("room");  // bytes a file may grow to
        QTest::addColumn<bool>("written");
        for (const int room : {0, 1, 100, 1380, 2759})
            QTest::addRow("room for %d bytes", room) << room << false;
        QTest::newRow("room for the whole listing") << 2760 << true;
    }
    void fullDisk()
    {
        QFETCH(int, room);
        QFETCH(bool, written);
        MainWindow main;
        const BmpRecipe recipe = RandomPicture(31);
        main.Pick("pic.bmp", MakeBmp(recipe));
        main.form.InverseOption->setChecked(true);
        Convert(main);
        const QString listing = ShownPath(main.state.OutputPath);
        const QByteArray earlier = Contents(listing);
        QCOMPARE(earlier, ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 1; }));
        const QStringList entries = Entries(main.scratch.path());

        main.form.NormalOption->setChecked(true);
        BoxSeen box;
        {
            const auto watch = RecordNextBox(box);
            const FileSizeLimit limit(static_cast<rlim_t>(room));
            QVERIFY(limit.applied());
            Convert(main);
        }
        QCOMPARE(Entries(main.scratch.path()), entries);
        if (written) {
            QVERIFY2(!box.shown, qPrintable(box.text));
            QCOMPARE(Contents(listing), ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 0; }));
            QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
            return;
        }
        QVERIFY(box.shown);
        QCOMPARE(box.title, QStringLiteral("Listing Write Error"));
        QVERIFY2(box.text.contains(listing), qPrintable(box.text));
        QCOMPARE(Contents(listing), earlier);
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Failed"));
        QVERIFY(!main.form.PreviewButton->isEnabled());
        // With room again, the same window converts.
        Convert(main);
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        QCOMPARE(Contents(listing), ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 0; }));
    }

    // A named pipe where the listing goes: Convert neither waits on it, nor
    // writes into it, nor puts a file in its place.
    void pipeInTheListingsPlace()
    {
        MainWindow main;
        main.Pick("pic.bmp", MakeBmp(RandomPicture(32)));
        const QString listing = ShownPath(main.state.OutputPath);
        QVERIFY(::mkfifo(QFile::encodeName(listing).constData(), 0644) == 0);
        BoxSeen box;
        QElapsedTimer clock;
        clock.start();
        {
            const auto watch = RecordNextBox(box);
            Convert(main);
        }
        QVERIFY2(clock.elapsed() < 5000, "Convert waited on the pipe");
        QVERIFY(box.shown);
        QCOMPARE(box.title, QStringLiteral("Listing Write Error"));
        QVERIFY2(box.text.contains("device, pipe or socket"), qPrintable(box.text));
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Failed"));
        QCOMPARE(main.form.ProgressPer->text(), QStringLiteral("0"));
        struct stat after {};
        QCOMPARE(::lstat(QFile::encodeName(listing).constData(), &after), 0);
        QVERIFY(S_ISFIFO(after.st_mode));
        QCOMPARE(Entries(main.scratch.path()), QStringList({"lcd_pic.txt", "pic.bmp"}));
    }

    // A whole session, with rejected and unreadable pictures, two conversions,
    // a failed one and the preview: the one file that appears anywhere under
    // home, the XDG folders, the temporary and the current folder is the
    // listing next to the picture; nothing else is added, changed or removed.
    void writesOnlyTheListing()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const Confined confined(root.path());
        MainWindow main;
        QVERIFY(main.scratch.path().startsWith(root.path()));
        const QString folder = main.scratch.path();
        const BmpRecipe recipe = RandomPicture(33);
        BmpRecipe deep;
        deep.bitCount = 24;
        QVERIFY(WriteFile(folder + "/good.bmp", MakeBmp(recipe)));
        QVERIFY(WriteFile(folder + "/deep.bmp", MakeBmp(deep)));
        QVERIFY(WriteFile(folder + "/cut.bmp", MakeBmp(recipe).left(40)));
        QVERIFY(QDir(folder).mkdir("lcd_blocked.txt"));  // makes blocked.bmp's conversion fail
        QVERIFY(WriteFile(folder + "/blocked.bmp", MakeBmp(RandomPicture(34))));
        const auto before = Snapshot(root.path());

        main.Browse(folder);
        main.form.File1->SetPath(folder);
        for (const QString name : {"deep.bmp", "cut.bmp"}) {
            BoxSeen box;
            const auto watch = RecordNextBox(box);
            QVERIFY(DoubleClickName(main.form.File1, name));
            QVERIFY(box.shown);
        }
        {
            BoxSeen box;
            const auto watch = RecordNextBox(box);
            QVERIFY(DoubleClickName(main.form.File1, "blocked.bmp"));
            Convert(main);
            QCOMPARE(box.title, QStringLiteral("Listing Write Error"));
        }
        QVERIFY(DoubleClickName(main.form.File1, "good.bmp"));
        Convert(main);
        main.form.InverseOption->setChecked(true);
        Convert(main);
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        bool shown = false;
        {
            const auto watch = WhenModal(
                [&](QWidget* modal) {
                    auto* preview = qobject_cast<Form2*>(modal);
                    QVERIFY(preview);
                    QTest::mouseClick(preview->ShowButton, Qt::LeftButton);
                    shown = preview->LcdPic->Dots().pixelColor(0, 0).alpha() == 255;
                },
                "quillon::Form2");
            QTest::mouseClick(main.form.PreviewButton, Qt::LeftButton);
        }
        QVERIFY(shown);
        QTest::mouseClick(main.form.ResetButton, Qt::LeftButton);

        const QStringList changes = Changes(before, Snapshot(root.path()));
        const QString listing = QDir(root.path()).relativeFilePath(folder + "/lcd_good.txt");
        QCOMPARE(changes, QStringList{QStringLiteral("added ") + listing});
        QCOMPARE(Contents(folder + "/lcd_good.txt"),
                 ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 1; }));
    }
};

QTEST_MAIN(DataSafetyTest)
#include "tst_data_safety_gui.moc"
