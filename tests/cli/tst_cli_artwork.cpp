// quillon-cli with pictures of any kind, run as a process: pictures written by
// ImageMagick converted byte for byte, the options for them, hostile pictures,
// and preview --png read back.
#include "cli/cli_run.h"
#include "formats/formats.h"
#include "intake/picture_image.h"
#include "support/bmp_maker.h"
#include "support/magick.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace quillon;
using namespace quillon::test;

namespace {

using Shape = std::function<bool(int x, int y)>;

// A crossing of curves and lines; nothing symmetric, so a turned or mirrored
// picture differs from it.
bool Figure(int x, int y)
{
    return (x * x + 3 * y * y) % 11 < 4 || x == 2 * y || (x > 100 && y < 5);
}

// A plain PBM with black where `black` says, for ImageMagick to turn into
// other formats.
QByteArray Pbm(int width, int height, const Shape& black)
{
    QByteArray text = "P1\n" + QByteArray::number(width) + " " + QByteArray::number(height) + "\n";
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            text += black(x, y) ? "1 " : "0 ";
        text += '\n';
    }
    return text;
}

quint32 Crc(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

QByteArray Be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray Chunk(const QByteArray& type, const QByteArray& data)
{
    return Be32(quint32(data.size())) + type + data + Be32(Crc(type + data));
}

// A PNG of zeros: 1-bit grey, `width` x `height` (20000 x 20000 makes 50 MB
// of rows in about 50 KB), or 8-bit RGB, black, as a photo is stored.
QByteArray ZeroPng(quint32 width, quint32 height, bool rgb = false)
{
    const QByteArray header = Be32(width) + Be32(height) +
                              (rgb ? QByteArray("\x08\x02\x00\x00\x00", 5) : QByteArray("\x01\x00\x00\x00\x00", 5));
    const QByteArray rows(static_cast<qsizetype>(height) * (1 + (rgb ? width * 3 : (width + 7) / 8)), '\0');
    return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", header) + Chunk("IDAT", qCompress(rows, 1).mid(4)) + Chunk("IEND", {});
}

}  // namespace

class CliArtworkTest : public QObject {
    Q_OBJECT
private slots:
    // Black and white pictures give exactly their shape, whatever wrote them.
    void exactShapes_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("written");  // ImageMagick's output, with its options
        QTest::addColumn<QStringList>("options");
        const QStringList none;
        QTest::newRow("PNG, grey") << 122 << 32 << "-type Grayscale PNG8:p.png" << none;
        QTest::newRow("PNG, RGB, interlaced") << 122 << 32 << "-interlace PNG PNG24:p.png" << none;
        QTest::newRow("PNG, RGBA 16 bits") << 122 << 32 << "-depth 16 PNG64:p.png" << none;
        QTest::newRow("PNG, 244 x 64 halved") << 244 << 64 << "PNG24:p.png" << none;
        QTest::newRow("GIF") << 122 << 32 << "p.gif" << QStringList{"--dither", "atkinson"};
        QTest::newRow("BMP, 24 bits") << 122 << 32 << "-type TrueColor BMP3:p.bmp" << none;
        QTest::newRow("BMP, 8 bits, 244 x 64") << 244 << 64 << "-type Palette BMP3:p.bmp" << none;
        QTest::newRow("turned back") << 122 << 32 << "-rotate 90 p.png" << QStringList{"--rotate", "270"};
        QTest::newRow("mirrored back") << 122 << 32 << "-flop p.png" << QStringList{"--flip", "h"};
    }
    void exactShapes()
    {
        QUILLON_SKIP_ON_WINDOWS("CliWindowsTest compares its pictures' tables with the Linux build's");
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, written);
        QFETCH(QStringList, options);
        QTemporaryDir folder;
        const int factor = width / 122;  // pixels a dot, each way
        const Shape shape = [&](int x, int y) { return Figure(x / factor, y / factor); };
        QVERIFY(WriteFile(folder.filePath("p.pbm"), Pbm(width, height, shape)));
        QStringList arguments = QStringList{folder.filePath("p.pbm")} + written.split(' ');
        arguments.last().replace("p.", folder.filePath("p."));
        QVERIFY(!Convert(arguments).isNull());
        const QString picture = arguments.last().section(':', -1);
        const CliRun run = RunCli(QStringList{"convert", "-o", "-", picture} + options);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, ExpectedListing(Figure));
    }

    // An exact 1-bit BMP keeps the window's rule (colour-table entry 0 lit,
    // white here, as ImageMagick writes it), whatever the options for other
    // pictures say; that the lighter colour is lit is said once, unless
    // --quiet, or --inverse chose the other.
    void exactBmpKeepsTheWindowsRule_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("inverse");
        QTest::addColumn<bool>("said");
        QTest::newRow("as the window") << QStringList{"--dither", "bayer", "--rotate", "90"} << false << true;
        QTest::newRow("--quiet") << QStringList{"--quiet"} << false << false;
        QTest::newRow("--inverse") << QStringList{"--inverse"} << true << false;
    }
    void exactBmpKeepsTheWindowsRule()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, inverse);
        QFETCH(bool, said);
        QTemporaryDir folder;
        BmpRecipe recipe;
        recipe.colours = {RGBQUAD{255, 255, 255, 0}, RGBQUAD{0, 0, 0, 0}};
        recipe.index = [](int x, int y) { return Figure(x, y) ? 0 : 1; };
        QVERIFY(WriteFile(folder.filePath("w.bmp"), MakeBmp(recipe)));
        const CliRun run = RunCli(QStringList{"convert", "-o", "-", folder.filePath("w.bmp")} + options);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, ExpectedListing([&](int x, int y) { return Figure(x, y) != inverse; }));
        const QByteArrayList notice{"quillon-cli: " + QFile::encodeName(folder.filePath("w.bmp")) +
                                    ": its first colour, white (#FFFFFF), is lit, as the window lights it; --inverse "
                                    "lights its second, black (#000000), instead"};
        QCOMPARE(run.ErrLines(), said ? notice : QByteArrayList());
    }

    // Thin dark strokes on a transparent background survive the threshold as
    // they do in an image editor: text drawn by ImageMagick keeps as many lit
    // dots, within a tenth, as ImageMagick's own flatten, box filter and 50 %
    // threshold give (mixed in linear light, it kept 52 of 84).
    void thinStrokes()
    {
        QUILLON_SKIP_ON_WINDOWS("CliWindowsTest compares its pictures' tables with the Linux build's");
        QTemporaryDir folder;
        const QString logo = folder.filePath("logo.png");
        QVERIFY(!Convert({"-size", "300x120", "xc:none", "-font", "DejaVu-Sans", "-pointsize", "40", "-fill", "black",
                          "-gravity", "center", "-annotate", "+0+0", "Quillon", logo})
                     .isNull());
        const QByteArray theirs = Convert({logo, "-background", "white", "-flatten", "-filter", "box", "-resize",
                                           "122x32", "-threshold", "50%", "-compress", "none", "pbm:-"});
        const int expected = int(theirs.mid(theirs.indexOf('\n', 3) + 1).count('1'));
        const CliRun run = RunCli({"preview", logo});
        QCOMPARE(run.exitCode, 0);
        const int lit = int(run.out.count('#'));
        QVERIFY2(expected > 60 && std::abs(lit - expected) * 10 <= expected,
                 qPrintable(QStringLiteral("%1 lit dots, ImageMagick %2").arg(lit).arg(expected)));
    }

    // Every frame of an animated GIF, as a viewer shows each (the frames one
    // at a time by --frame), with its delay, in every format that holds
    // frames, read back the same; bmp holds one picture.
    void animationFrames()
    {
        QTemporaryDir folder;
        const QString gif = folder.filePath("anim.gif");
        QVERIFY(!Convert({"-size",
                          "61x16",
                          "xc:white",
                          "-fill",
                          "black",
                          "(",
                          "-clone",
                          "0",
                          "-draw",
                          "rectangle 2,2 20,12",
                          "-set",
                          "delay",
                          "10",
                          ")",
                          "(",
                          "-clone",
                          "0",
                          "-draw",
                          "circle 40,8 46,8",
                          "-set",
                          "delay",
                          "20",
                          "-set",
                          "dispose",
                          "previous",
                          ")",
                          "(",
                          "-clone",
                          "0",
                          "-draw",
                          "line 0,15 60,0",
                          "-set",
                          "delay",
                          "50",
                          ")",
                          "-delete",
                          "0",
                          "-loop",
                          "0",
                          gif})
                     .isNull());
        const CliRun all = RunCli({"convert", "--frames", "all", "-f", "bin", "-o", "-", gif});
        QCOMPARE(all.exitCode, 0);
        QCOMPARE(all.out.size(), 2 + 3 * 490);
        QCOMPARE(all.out.left(8), QByteArray("\x03\x00\x64\x00\xC8\x00\xF4\x01", 8));  // 3 frames: 100, 200, 500 ms
        for (int k = 0; k < 3; ++k) {
            const CliRun one = RunCli({"convert", "--frame", QString::number(k), "-f", "bin", "-o", "-", gif});
            QCOMPARE(one.out, all.out.mid(8 + 488 * k, 488));
        }
        for (const Format& format : Formats()) {
            const QString name = QString::fromLatin1(format.name);
            const QString table = folder.filePath("table." + name);
            const CliRun written = RunCli({"convert", "--frames", "all", "-f", name, "-o", table, gif});
            if (!format.holdsFrames) {
                QCOMPARE(written.exitCode, 64);
                continue;
            }
            QCOMPARE(written.exitCode, 0);
            QCOMPARE(RunCli({"convert", "--frames", "all", "-f", "bin", "-o", "-", table}).out, all.out);
            const CliRun shown = RunCli({"preview", table});
            QCOMPARE(shown.exitCode, 0);
            QByteArrayList named;
            for (const QByteArray& line : shown.OutLines())
                named << line.left(line.startsWith("frame") ? line.size() : 0);
            named.removeAll(QByteArray());
            QCOMPARE(named, QByteArrayList({"frame 0, 100 ms:", "frame 1, 200 ms:", "frame 2, 500 ms:"}));
        }
    }

    // Pictures too large to hold whole are taken row by row in the same
    // 64 MiB: a phone's 4032 x 3024 photo, and 8000 x 6250.
    void largePictures_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("4032 x 3024") << 4032 << 3024;
        QTest::newRow("8000 x 6250") << 8000 << 6250;
    }
    void largePictures()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("big.png"), ZeroPng(width, height, true)));
        CliCall call{{"convert", "--fit", "stretch", "-f", "bin", "-o", "-", "big.png"}, folder.path()};
#if !defined(__SANITIZE_ADDRESS__)
        if (!OnWindows())
            call.addressSpace = rlim_t{64} << 20;
#endif
        const CliRun run = RunCli(call);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray(488, '\xFF'));  // black: every dot lit
    }

    // The options reach the conversion: a flat grey 100 and a transparent picture.
    void options_data()
    {
        QTest::addColumn<QString>("drawn");  // ImageMagick's canvas
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("lit");  // dots of 3904
        QTest::newRow("grey 100, threshold 101") << "xc:rgb(100,100,100)" << QStringList{"--threshold", "101"} << 3904;
        QTest::newRow("grey 100, threshold 100") << "xc:rgb(100,100,100)" << QStringList{"--threshold", "100"} << 0;
        QTest::newRow("grey 128, bayer") << "xc:rgb(128,128,128)" << QStringList{"--dither", "bayer"} << 1952;
        QTest::newRow("transparent on black") << "xc:none" << QStringList{"--background", "black"} << 3904;
        QTest::newRow("black, stretched") << "xc:black" << QStringList{"--fit", "stretch"} << 3904;
        QTest::newRow("black, 1:1") << "xc:black" << QStringList{"--fit", "none"} << 61 * 32;
    }
    void options()
    {
        QUILLON_SKIP_ON_WINDOWS("CliWindowsTest compares its pictures' tables with the Linux build's");
        QFETCH(QString, drawn);
        QFETCH(QStringList, options);
        QFETCH(int, lit);
        QTemporaryDir folder;
        const QString size = drawn.contains("black") ? "61x61" : "122x32";
        QVERIFY(!Convert({"-size", size, drawn, "PNG32:" + folder.filePath("g.png")}).isNull());
        const CliRun run = RunCli(QStringList{"preview", folder.filePath("g.png")} + options);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.count('#'), lit);
        QCOMPARE(run.out.count('.'), 3904 - lit);
    }

    // A value that is none of the choices: exit 64 naming the option, nothing written.
    void badOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("option");
        for (const char* command : {"convert", "preview"}) {
            const QStringList bad[] = {{"--fit", "fill"},      {"--background", "grey"}, {"--dither", "fs"},
                                       {"--threshold", "256"}, {"--threshold", "-1"},    {"--rotate", "45"},
                                       {"--flip", "x"},        {"--frame", "-1"}};
            for (const QStringList& pair : bad)
                QTest::addRow("%s %s %s", command, qPrintable(pair[0]), qPrintable(pair[1]))
                    << QStringList{command} + pair << pair[0].toLatin1();
        }
        QTest::newRow("--scale 0") << QStringList{"preview", "--png", "p.png", "--scale", "0"} << QByteArray("--scale");
        QTest::newRow("--scale alone") << QStringList{"preview", "--scale", "2"} << QByteArray("--scale");
    }
    void badOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, option);
        QTemporaryDir folder;
        QVERIFY(!Convert({"-size", "10x10", "xc:black", folder.filePath("in.png")}).isNull());
        const CliRun run = RunCli(arguments << "in.png", folder.path());
        QCOMPARE(run.exitCode, 64);
        QVERIFY2(run.err.startsWith("quillon-cli: " + option), run.err.constData());
        QCOMPARE(FolderEntries(folder.path()), QStringList{"in.png"});
    }

    // Hostile pictures: one line naming the file, exit 2, nothing written, in
    // little memory.
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray png;
        {
            QTemporaryDir folder;
            QVERIFY(!Convert({"rose:", folder.filePath("r.png")}).isNull());
            png = FileBytes(folder.filePath("r.png"));
        }
        QByteArray badCrc = png;
        badCrc[png.indexOf("IDAT") + 20] = char(badCrc[png.indexOf("IDAT") + 20] ^ 0x55);
        QTest::newRow("PNG cut in half") << png.left(png.size() / 2);
        QTest::newRow("PNG with a bad CRC") << badCrc;
        QTest::newRow("20000 x 20000 of zeros") << ZeroPng(20000, 20000);
        QTest::newRow("GIF header alone") << QByteArray("GIF89a\x10\x00\x10\x00", 10);
        QTest::newRow("JPEG start alone") << QByteArray("\xFF\xD8\xFF\xE0", 4);
    }
    void hostile()
    {
        QUILLON_SKIP_ON_WINDOWS("hostile pictures are tried on the Linux build; CliWindowsTest compares the two");
        QFETCH(QByteArray, bytes);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("h.png"), bytes));
        for (const QStringList& arguments : {QStringList{"convert", "h.png"}, {"preview", "h.png", "--png", "o.png"}}) {
            CliCall call{arguments, folder.path()};
#if !defined(__SANITIZE_ADDRESS__)
            // The whole process within 64 MiB; not under Wine, whose own
            // reservations the limit would bind, nor with AddressSanitizer's.
            if (!OnWindows())
                call.addressSpace = rlim_t{64} << 20;
#endif
            const CliRun run = RunCli(call);
            QCOMPARE(run.exitCode, 2);
            QCOMPARE(run.ErrLines().size(), 1);
            QVERIFY2(run.err.startsWith("quillon-cli: h.png: cannot be read: "), run.err.constData());
            QCOMPARE(FolderEntries(folder.path()), QStringList{"h.png"});
        }
    }

    // The codec and font libraries are loaded when a file needs them: without
    // one, that file is refused in one line naming the package, and a BMP
    // still converts.
    void missingLibrary_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("library");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("PNG") << QStringList{"convert", "p.png", "p.bmp"} << "libspng.so.0"
                             << QByteArray("p.png: cannot be read: libspng.so.0 cannot be loaded (install libspng0)");
        QTest::newRow("GIF") << QStringList{"convert", "p.gif", "p.bmp"} << "libgif.so.7"
                             << QByteArray("p.gif: cannot be read: libgif.so.7 cannot be loaded (install libgif7)");
        QTest::newRow("JPEG") << QStringList{"convert", "p.jpg", "p.bmp"} << "libjpeg.so.62"
                              << QByteArray(
                                     "p.jpg: cannot be read: libjpeg.so.62 cannot be loaded (install "
                                     "libjpeg62-turbo)");
        QTest::newRow("preview --png")
            << QStringList{"preview", "p.bmp", "--png", "o.png"} << "libspng.so.0"
            << QByteArray("o.png: cannot be written: libspng.so.0 cannot be loaded (install libspng0)");
        QTest::newRow("font") << QStringList{"text",   "--font", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                             "--size", "12",     "-o",
                                             "t.txt",  "Hi"}
                              << "libfreetype.so.6"
                              << QByteArray(
                                     "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf: libfreetype.so.6 "
                                     "cannot be loaded (install libfreetype6)");
    }
    void missingLibrary()
    {
        QUILLON_SKIP_ON_WINDOWS("the Windows build has its libraries linked in");
        QFETCH(QStringList, arguments);
        QFETCH(QString, library);
        QFETCH(QByteArray, message);
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("p.bmp"), MakeBmp(RandomPicture(5))));
        for (const char* name : {"p.png", "p.gif", "p.jpg"})
            QVERIFY(!Convert({"rose:", folder.filePath(name)}).isNull());
        CliCall call{arguments, folder.path()};
        call.fault = "dlopen:" + library;
        const CliRun run = RunCli(call);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, "quillon-cli: " + message + "\n");
        QCOMPARE(QFile::exists(folder.filePath("lcd_p.txt")), arguments.contains("p.bmp") && arguments[0] == "convert");
    }

    // preview --png: 3 x 3 pixels a dot, black and the window's green, read back.
    void previewPng()
    {
        QUILLON_SKIP_ON_WINDOWS("CliWindowsTest compares its pictures' tables with the Linux build's");
        QTemporaryDir folder;
        QVERIFY(WriteFile(folder.filePath("p.pbm"), Pbm(122, 32, Figure)));
        const CliRun run = RunCli({"preview", "p.pbm", "--png", "dots.png", "--scale", "3"}, folder.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray());
        const QByteArray bytes = FileBytes(folder.filePath("dots.png"));
        const Result<PictureImage> png =
            DecodePicture(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        QVERIFY2(png.Ok(), png.Error().c_str());
        QCOMPARE(png->width, 366);
        QCOMPARE(png->height, 96);
        std::vector<std::uint8_t> expected;
        for (int at = 0; at < 366 * 96; ++at)
            expected.insert(expected.end(), {0, std::uint8_t(Figure(at % 366 / 3, at / 366 / 3) ? 0 : 128), 0, 255});
        QVERIFY(png->rgba == expected);
        // A listing with dots left unpainted makes no picture.
        QVERIFY(WriteFile(folder.filePath("short.txt"), "        DB 01H,01H,01H,01H,01H,01H,01H,01H;\r\n"));
        const CliRun partial = RunCli({"preview", "short.txt", "--png", "part.png"}, folder.path());
        QCOMPARE(partial.exitCode, 2);
        QVERIFY(!QFile::exists(folder.filePath("part.png")));
    }
};

QTEST_GUILESS_MAIN(CliArtworkTest)
#include "tst_cli_artwork.moc"
