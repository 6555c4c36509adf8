// Hostile picture files picked in the main window, through the real
// double-click: each is answered with a box naming the file, the window is
// reset, and it goes on working afterwards.
#include "app/path_text.h"
#include "intake/listing_name.h"
#include "support/bmp_maker.h"
#include "support/files.h"
#include "support/gui_helpers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>
#include <climits>
#include <cstdio>
#include <filesystem>

using namespace quillon;
using namespace quillon::test;

namespace {

const QString ReadError = QStringLiteral("Picture Read Error");
const QString SizeError = QStringLiteral("Picture Size Error");



BmpRecipe Striped()
{
    BmpRecipe recipe;
    recipe.index = [](int x, int y) { return (x + 2 * y) % 5 == 0 ? 1 : 0; };
    return recipe;
}

bool Cleared(const Form1& form, const SharedState& state)
{
    return form.PreviewPic->pixmap().isNull() && form.HeightValue->text().isEmpty() &&
           form.WidthValue->text().isEmpty() && form.ColorValue->text().isEmpty() && !form.ConvertButton->isEnabled() &&
           !form.PreviewButton->isEnabled() && !form.InverseOption->isEnabled() && state.OutputPath.empty();
}

bool Accepted(const Form1& form)
{
    return form.WidthValue->text() == QLatin1String("122") && form.HeightValue->text() == QLatin1String("32") &&
           form.ConvertButton->isEnabled() && form.PreviewPic->pixmap().size() == QSize(122, 32);
}

// Picks a good picture in the same window and converts it.
void StillWorks(MainWindow& main)
{
    BoxSeen box;
    const auto watch = RecordNextBox(box);
    main.Pick("after.bmp", MakeBmp(Striped()));
    QVERIFY2(!box.shown, qPrintable(box.title + ": " + box.text));
    QVERIFY(Accepted(main.form));
    QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
    QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
    const BmpRecipe recipe = Striped();
    QCOMPARE(Contents(main.scratch.filePath("lcd_after.txt")),
             ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 0; }));
}

// Double-clicks `name` in the scratch folder's list, which must show it, and
// records the box that answers.
BoxSeen DoubleClick(MainWindow& main, const QString& name)
{
    BoxSeen box;
    const auto watch = RecordNextBox(box);
    if (!DoubleClickName(main.form.File1, name))
        qWarning("%s is not in the list", qPrintable(name));
    return box;
}

// The list never shows what is not a plain file; a name it showed a moment
// ago can still be clicked. Puts such a name into the list.
void Listed(MainWindow& main, const QString& name)
{
    if (main.form.File1->findItems(name, Qt::MatchExactly).isEmpty())
        main.form.File1->addItem(name);
}

// Makes `path` the kind of thing `how` names.
bool Make(const QString& path, const QString& how, const QString& scratch)
{
    const QByteArray local = QFile::encodeName(path);
    if (how == "symlink loop")
        return QFile::link(path + ".other.bmp", path) && QFile::link(path, path + ".other.bmp");
    if (how == "dangling symlink")
        return QFile::link(scratch + "/nowhere/missing.bmp", path);
    if (how == "symlink to a folder")
        return QDir(scratch).mkdir("elsewhere") && QFile::link(scratch + "/elsewhere", path);
    if (how == "named pipe")
        return ::mkfifo(local.constData(), 0644) == 0;
    if (how == "folder")
        return QDir().mkdir(path);
    return false;
}

}  // namespace

class HostilePicturesGuiTest : public QObject {
    Q_OBJECT
private slots:
    void pickedFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("title");
        const QByteArray good = MakeBmp(Striped());
        for (int length = 0; length <= 61; ++length)
            QTest::addRow("cut to %d bytes", length) << good.left(length) << ReadError;

        for (const qint64 value : {qint64{INT32_MIN}, qint64{-1}, qint64{0}, qint64{INT32_MAX}}) {
            QTest::addRow("width %lld", value) << With32(good, 18, static_cast<std::uint32_t>(value)) << SizeError;
            QTest::addRow("height %lld", value) << With32(good, 22, static_cast<std::uint32_t>(value)) << SizeError;
        }
        for (const int value : {INT16_MIN, -1, 0, INT16_MAX})
            QTest::addRow("bit count %d", value) << With16(good, 28, static_cast<std::uint16_t>(value)) << SizeError;

        // Our reading takes the colour table from behind any claimed header
        // size, but the image loader knows only the real header sizes: the
        // two disagree, and the file is not taken.
        for (const std::uint32_t size : {0u, 12u, 39u})
            QTest::addRow("biSize %u", size) << With32(good, 14, size) << ReadError;
        QTest::newRow("biSize 2^32 - 1") << With32(good, 14, 0xFFFFFFFFu) << ReadError;
        QTest::newRow("colour table beyond the file") << With32(good, 14, 574 - 14 - 7) << ReadError;
        QTest::newRow("body one row short") << good.chopped(16) << ReadError;
        QTest::newRow("pixels start past the end") << With32(good, 10, 0xFFFFFFFFu) << ReadError;
        QTest::newRow("headers of a 24-bit picture only") << [] {
            BmpRecipe deep;
            deep.bitCount = 24;
            return MakeBmp(deep).left(54);
        }() << SizeError;
    }
    void pickedFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, title);
        MainWindow main;
        main.Pick("first.bmp", MakeBmp(Striped()));
        QVERIFY(Accepted(main.form));

        QVERIFY(WriteFile(main.scratch.filePath("bad.bmp"), file));
        main.form.File1->SetPath(main.scratch.path());
        const BoxSeen box = DoubleClick(main, "bad.bmp");
        QVERIFY(box.shown);
        QCOMPARE(box.title, title);
        if (title == ReadError)
            QVERIFY2(box.text.contains(main.scratch.filePath("bad.bmp")), qPrintable(box.text));
        QVERIFY(Cleared(main.form, main.state));
        StillWorks(main);
    }

    // Names that are not plain files: none hangs the window, each is named.
    void notAFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("symlink loop") << "symlink loop";
        QTest::newRow("dangling symlink") << "dangling symlink";
        QTest::newRow("symlink to a folder") << "symlink to a folder";
        QTest::newRow("named pipe") << "named pipe";
    }
    void notAFile()
    {
        QFETCH(QString, how);
        MainWindow main;
        main.Pick("first.bmp", MakeBmp(Striped()));
        const QString path = main.scratch.filePath("odd.bmp");
        QVERIFY(Make(path, how, main.scratch.path()));
        main.form.File1->SetPath(main.scratch.path());
        Listed(main, "odd.bmp");
        QElapsedTimer clock;
        clock.start();
        const BoxSeen box = DoubleClick(main, "odd.bmp");
        QVERIFY2(clock.elapsed() < 4000, "the double-click waited on the file");
        QVERIFY(box.shown);
        QCOMPARE(box.title, ReadError);
        QVERIFY2(box.text.contains(path), qPrintable(box.text));
        QVERIFY(Cleared(main.form, main.state));
        StillWorks(main);
    }

    // The file is read when it is double-clicked, not when it was listed.
    void changedAfterListing_data()
    {
        QTest::addColumn<QString>("before");  // "good" or "bad"
        QTest::addColumn<QString>("after");   // what the name holds at the double-click
        QTest::addColumn<QString>("title");   // empty: accepted
        QTest::newRow("good, then cut short") << "good"
                                              << "cut" << ReadError;
        QTest::newRow("good, then 24-bit") << "good"
                                           << "deep" << SizeError;
        QTest::newRow("good, then a folder") << "good"
                                             << "folder" << ReadError;
        QTest::newRow("good, then a named pipe") << "good"
                                                 << "named pipe" << ReadError;
        QTest::newRow("good, then a symlink loop") << "good"
                                                   << "symlink loop" << ReadError;
        // A racing program puts the pipe there between the window's look at the
        // file and its opening (tests/support/fault_inject.cpp does it on cue).
        QTest::newRow("good, then a pipe as it is opened") << "good"
                                                           << "pipe at the opening" << ReadError;
        QTest::newRow("24-bit, then good") << "bad"
                                           << "good" << QString();
    }
    void changedAfterListing()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, title);
        MainWindow main;
        BmpRecipe deep = Striped();
        deep.bitCount = 24;
        const QString path = main.scratch.filePath("pic.bmp");
        QVERIFY(WriteFile(path, before == "good" ? MakeBmp(Striped()) : MakeBmp(deep)));
        main.Browse(main.scratch.path());
        main.form.File1->SetPath(main.scratch.path());
        QVERIFY(!main.form.File1->findItems("pic.bmp", Qt::MatchExactly).isEmpty());

        BmpRecipe other = RandomPicture(3);
        if (after == "good" || after == "cut" || after == "deep") {
            const QByteArray bytes = after == "good"  ? MakeBmp(other)
                                     : after == "cut" ? MakeBmp(Striped()).left(30)
                                                      : MakeBmp(deep);
            QVERIFY(WriteFile(path, bytes));
        } else if (after == "pipe at the opening") {
            qputenv("QUILLON_SWAP_FOR_FIFO", QFile::encodeName(path));
        } else {
            QVERIFY(QFile::remove(path));
            QVERIFY(Make(path, after, main.scratch.path()));
        }
        QElapsedTimer clock;
        clock.start();
        const BoxSeen box = DoubleClick(main, "pic.bmp");
        qunsetenv("QUILLON_SWAP_FOR_FIFO");
        QVERIFY2(clock.elapsed() < 5000, "the double-click waited on a pipe");
        if (title.isEmpty()) {
            QVERIFY2(!box.shown, qPrintable(box.title));
            QVERIFY(Accepted(main.form));
            QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
            QCOMPARE(Contents(main.scratch.filePath("lcd_pic.txt")),
                     ExpectedListing([&](int x, int y) { return other.index(x, y) == 0; }));
            return;
        }
        QVERIFY(box.shown);
        QCOMPARE(box.title, title);
        if (after == "pipe at the opening") {
            QVERIFY2(box.text.contains("device, pipe or socket"), qPrintable(box.text));
            struct stat swapped {};
            QVERIFY(::lstat(QFile::encodeName(path).constData(), &swapped) == 0 && S_ISFIFO(swapped.st_mode));
        }
        QVERIFY(Cleared(main.form, main.state));
        StillWorks(main);
    }

    // Once taken, the picture is the one converted, whatever happens to its file.
    void changedAfterDoubleClick_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("rewritten with another picture") << "rewritten";
        QTest::newRow("cut to nothing") << "emptied";
        QTest::newRow("removed") << "removed";
    }
    void changedAfterDoubleClick()
    {
        QFETCH(QString, how);
        MainWindow main;
        const BmpRecipe recipe = RandomPicture(8);
        main.Pick("pic.bmp", MakeBmp(recipe));
        QVERIFY(Accepted(main.form));
        const QString path = main.scratch.filePath("pic.bmp");
        if (how == "rewritten")
            QVERIFY(WriteFile(path, MakeBmp(RandomPicture(9))));
        else if (how == "emptied")
            QVERIFY(WriteFile(path, QByteArray()));
        else
            QVERIFY(QFile::remove(path));
        QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        QCOMPARE(Contents(main.scratch.filePath("lcd_pic.txt")),
                 ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 0; }));
    }

    // A folder and a picture whose names are not UTF-8 (from an old disk, say):
    // listed, opened and converted by their bytes, shown with a stand-in mark.
    void namesThatAreNotUtf8()
    {
        MainWindow main;
        const std::filesystem::path folder = FilePath(main.scratch.path()) / "Bilder\xe4";
        const std::filesystem::path picture = folder / "Logo\xff.bmp";
        const std::filesystem::path listing = folder / "lcd_Logo\xff.txt";
        QVERIFY(std::filesystem::create_directory(folder));
        const BmpRecipe recipe = RandomPicture(5);
        const QByteArray bytes = MakeBmp(recipe);
        {
            std::FILE* file = std::fopen(picture.c_str(), "wb");
            QVERIFY(file);
            std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), file);
            std::fclose(file);
        }
        main.Browse(main.scratch.path());
        const auto rows = main.form.Dir1->findItems(QStringLiteral("Bilder"), Qt::MatchStartsWith | Qt::MatchRecursive);
        QCOMPARE(rows.size(), 1);
        main.form.Dir1->setCurrentItem(rows.first());
        QTest::keyClick(main.form.Dir1, Qt::Key_Return);  // opens it, as a user would
        QCOMPARE(main.form.Dir1->RawPath(), folder);
        QCOMPARE(main.form.File1->count(), 1);
        const QString shown = main.form.File1->item(0)->text();
        QVERIFY2(shown.startsWith("Logo") && shown.contains(QChar(0xFFFD)), qPrintable(shown));

        const BoxSeen box = DoubleClick(main, shown);
        QVERIFY2(!box.shown, qPrintable(box.text));
        QVERIFY(Accepted(main.form));
        QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
        QCOMPARE(main.form.StatusValue->text(), QStringLiteral("Successed"));
        QVERIFY(std::filesystem::is_regular_file(listing));
        std::string written;
        {
            std::FILE* file = std::fopen(listing.c_str(), "rb");
            QVERIFY(file);
            char piece[4096];
            for (std::size_t got; (got = std::fread(piece, 1, sizeof piece, file)) > 0;)
                written.append(piece, got);
            std::fclose(file);
        }
        QCOMPARE(QByteArray::fromStdString(written),
                 ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 0; }));
        std::filesystem::remove_all(folder);  // names QTemporaryDir cannot spell
    }

    // Spaces and letters beyond ASCII, in names the box shows and the listing takes.
    void unusualNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("spaces and umlauts") << QStringLiteral("Ärger mit  Ünïcode .bmp");
        QTest::newRow("CJK letters") << QStringLiteral("日本 語.BMP");
        QTest::newRow("leading space, dots") << QStringLiteral(" a.b.c.bmp");
        QTest::newRow("quotes and percent") << QStringLiteral("\"%1\" 'x' %s.bmp");
    }
    void unusualNames()
    {
        QFETCH(QString, name);
        MainWindow main;
        const QString path = main.scratch.filePath(name);
        QVERIFY(WriteFile(path, MakeBmp(Striped()).left(20)));
        main.Browse(main.scratch.path());
        main.form.File1->SetPath(main.scratch.path());
        BoxSeen box = DoubleClick(main, name);
        QVERIFY(box.shown);
        QCOMPARE(box.title, ReadError);
        QVERIFY2(box.text.contains(path), qPrintable(box.text));

        const BmpRecipe recipe = RandomPicture(4);
        QVERIFY(WriteFile(path, MakeBmp(recipe)));
        box = DoubleClick(main, name);
        QVERIFY2(!box.shown, qPrintable(box.text));
        QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
        const QString listing = main.scratch.filePath("lcd_" + ShownPath(ListingFileName(FilePath(name))));
        QCOMPARE(main.form.OutFileValue->text(), listing);
        QCOMPARE(Contents(listing), ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 0; }));
    }

    // A picture at the bottom of a path of some 4000 characters is taken,
    // converted and its listing shown, in reasonable time.
    void veryLongPath()
    {
        MainWindow main;
        QString folder = main.scratch.path();
        const QString level(200, QLatin1Char('d'));
        while (folder.size() + level.size() + 20 < 4000) {
            folder += QLatin1Char('/') + level;
            QVERIFY(QDir().mkdir(folder));
        }
        const QString path = folder + QStringLiteral("/deep.bmp");
        const BmpRecipe recipe = RandomPicture(5);
        QVERIFY(WriteFile(path, MakeBmp(recipe)));
        main.Browse(folder);
        QCOMPARE(main.form.File1->Path(), folder);
        BoxSeen box = DoubleClick(main, "deep.bmp");
        QVERIFY2(!box.shown, qPrintable(box.text));
        QVERIFY(Accepted(main.form));

        QTest::mouseClick(main.form.ConvertButton, Qt::LeftButton);
        // The path label shortens the path to its two lines each time it is painted.
        QElapsedTimer clock;
        clock.start();
        for (int paint = 0; paint < 5; ++paint)
            main.form.OutFileValue->repaint();
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QStringLiteral("5 paints took %1 ms").arg(clock.elapsed())));
        const QString listing = folder + QStringLiteral("/lcd_deep.txt");
        QCOMPARE(main.form.OutFileValue->text(), listing);
        QCOMPARE(Contents(listing), ExpectedListing([&](int x, int y) { return recipe.index(x, y) == 0; }));
    }
};

QTEST_MAIN(HostilePicturesGuiTest)
#include "tst_hostile_pictures_gui.moc"
