// The picture decoders against ImageMagick: files it writes in every format and
// variant, decoded and compared pixel by pixel with what it reads from them;
// crafted BMP variants it does not write, against the format's own rules; and
// damaged or hostile files, each refused quickly with one line.
#include "convert/artwork.h"
#include "intake/picture_image.h"
#include "support/files.h"
#include "support/magick.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

using namespace quillon;
using namespace quillon::test;

namespace {

Result<PictureImage> Decode(const QByteArray& bytes, int frame = 0)
{
    DecodeOptions options;
    options.frame = frame;
    return DecodePicture(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())),
        options);
}

// Decoded as convert decodes a picture: row by row onto the display, held by
// no one. `size` gets the size the decoder gave the rows.
Result<void> Sampled(const QByteArray& bytes, int frame = 0, QSize* size = nullptr)
{
    struct Probe final : PictureSink {
        ArtworkSampler sampler{ArtworkOptions{}};
        QSize size;
        Result<void> Start(int width, int height) override
        {
            size = QSize(width, height);
            return sampler.Start(width, height);
        }
        void Row(int y, const std::uint8_t* rgba) override { sampler.Row(y, rgba); }
    } probe;
    MemorySource source(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    const Result<void> decoded = DecodePicture(source, DecodeOptions{frame}, probe);
    if (size)
        *size = probe.size;
    return decoded;
}


// The first pixel where `got` and `want` (RGBA) differ by more than `tolerance`
// in a channel; two fully transparent pixels are alike whatever their colour.
QString FirstDifference(const PictureImage& got, const QByteArray& want, int tolerance)
{
    if (std::size_t(want.size()) != got.rgba.size())
        return QStringLiteral("%1 bytes, ImageMagick reads %2").arg(got.rgba.size()).arg(want.size());
    for (std::size_t at = 0; at < got.rgba.size(); at += 4) {
        const auto* theirs = reinterpret_cast<const std::uint8_t*>(want.constData()) + at;
        if (got.rgba[at + 3] == 0 && theirs[3] == 0)
            continue;
        for (int k = 0; k < 4; ++k)
            if (std::abs(got.rgba[at + k] - theirs[k]) > tolerance)
                return QStringLiteral("pixel %1 is %2, ImageMagick reads %3")
                    .arg(QString::number(at / 4), QByteArray(reinterpret_cast<const char*>(&got.rgba[at]), 4).toHex(),
                         want.mid(int(at), 4).toHex());
    }
    return {};
}

void Put(QByteArray& out, std::uint32_t value, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        out.append(char(value >> (8 * k)));
}

// A BMP with a header of `size` bytes; masks go inside it from 52 bytes on,
// else behind it, then the colour table and the pixels.
QByteArray Bmp(std::uint32_t size, std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
               QList<std::uint32_t> masks, const QByteArray& table, const QByteArray& pixels)
{
    QByteArray info, behind;
    for (const std::uint32_t mask : masks)
        Put(size >= 52 ? info : behind, mask, 4);
    QByteArray head;
    Put(head, size, 4), Put(head, std::uint32_t(width), 4), Put(head, std::uint32_t(height), 4);
    Put(head, 1, 2), Put(head, std::uint32_t(bits), 2), Put(head, compression, 4), Put(head, pixels.size(), 4);
    Put(head, 2835, 4), Put(head, 2835, 4), Put(head, std::uint32_t(table.size() / 4), 4), Put(head, 0, 4);
    info = (head + info).leftJustified(int(size), '\0', true);
    const std::uint32_t offset = 14 + std::uint32_t(info.size() + behind.size() + table.size());
    QByteArray file("BM");
    Put(file, offset + std::uint32_t(pixels.size()), 4), Put(file, 0, 4), Put(file, offset, 4);
    return file + info + behind + table + pixels;
}

QByteArray PngChunk(const QByteArray& type, const QByteArray& data)
{
    const QByteArray body = type + data;
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()));
    return QByteArray::fromHex(QByteArray::number(data.size(), 16).rightJustified(8, '0')) + body +
           QByteArray::fromHex(QByteArray::number(quint32(crc), 16).rightJustified(8, '0'));
}

// A PNG of the IHDR fields given, its rows deflated.
QByteArray Png(const char* header, const QByteArray& rows)
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", QByteArray::fromHex(header)) +
           PngChunk("IDAT", qCompress(rows).mid(4)) + PngChunk("IEND", {});
}

}  // namespace

class DecodersTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString Path(const QString& name) const { return dir_.filePath(name); }

    // The sample picture as convert writes it with `arguments` to `name`, which
    // may begin with the format ("bmp3:name.bmp").
    QByteArray Written(const QString& name, const QStringList& arguments)
    {
        const QString format = name.contains(':') ? name.section(':', 0, 0) + ':' : QString();
        const QString path = Path(name.section(':', -1));
        if (Convert(SamplePicture() + arguments + QStringList{format + path}).isNull())
            return {};
        return FileBytes(path);
    }

private slots:
    void matchesImageMagick_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("tolerance");  // ImageMagick truncates 16-bit samples to 8 bits; we round
        const QList<std::tuple<const char*, QStringList, int>> rows = {
            {"png32:rgba.png", {}, 0},
            {"png48:rgb-16.png", {"-alpha", "off"}, 1},
            {"grey-1.png", {"-colorspace", "Gray", "-alpha", "off", "-threshold", "50%", "-depth", "1"}, 0},
            {"grey-2.png", {"-colorspace", "Gray", "-alpha", "off", "-depth", "2"}, 0},
            {"grey-4.png", {"-colorspace", "Gray", "-alpha", "off", "-depth", "4"}, 0},
            {"grey-16.png", {"-colorspace", "Gray", "-alpha", "off", "-depth", "16"}, 1},
            {"grey-alpha.png", {"-colorspace", "Gray", "-type", "GrayscaleAlpha"}, 0},
            {"png8:palette-trns.png", {}, 0},
            {"interlaced.png", {"-interlace", "PNG"}, 0},
            {"interlaced-16.png", {"-interlace", "PNG", "-depth", "16"}, 1},
            {"still.gif", {}, 0},
            {"interlaced.gif", {"-interlace", "GIF"}, 0},
            {"colour.jpg", {"-alpha", "off"}, 2},
            {"grey.jpg", {"-alpha", "off", "-colorspace", "Gray"}, 2},
            {"cmyk.jpg", {"-alpha", "off", "-colorspace", "CMYK"}, 2},
            {"progressive.jpg", {"-alpha", "off", "-interlace", "JPEG"}, 2},
            {"subsampled.jpg", {"-alpha", "off", "-sampling-factor", "2x2"}, 2},
            {"p1.pbm", {"-compress", "none"}, 0},
            {"p2.pgm", {"-compress", "none"}, 0},
            {"p3.ppm", {"-compress", "none"}, 0},
            {"p4.pbm", {}, 0},
            {"p5.pgm", {}, 0},
            {"p6.ppm", {}, 0},
            {"p6-16.ppm", {"-depth", "16"}, 1},
            {"p7.pam", {}, 0},
            {"bmp3:1.bmp", {"-alpha", "off", "-monochrome"}, 0},
            {"bmp3:4.bmp", {"-alpha", "off", "-colors", "12", "-depth", "4"}, 0},
            {"bmp3:8.bmp", {"-alpha", "off", "-type", "Palette"}, 0},
            {"bmp3:rle8.bmp", {"-alpha", "off", "-type", "Palette", "-compress", "RLE"}, 0},
            {"bmp3:24.bmp", {"-alpha", "off"}, 0},
            {"bmp:32-alpha.bmp", {"-type", "TrueColorAlpha"}, 0},
            {"bmp:565.bmp", {"-alpha", "off", "-define", "bmp:subtype=RGB565"}, 0},
            {"bmp:555.bmp", {"-alpha", "off", "-define", "bmp:subtype=RGB555"}, 0},
            {"bmp2:os2.bmp", {"-alpha", "off"}, 0},
        };
        for (const auto& [name, arguments, tolerance] : rows)
            QTest::newRow(name) << QString(name) << arguments << tolerance;
    }
    void matchesImageMagick()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, arguments);
        QFETCH(int, tolerance);
        const QByteArray file = Written(name, arguments);
        const QString path = Path(name.section(':', -1));
        const QByteArray expected = MagickRgba(path);
        QVERIFY2(!file.isEmpty() && !expected.isEmpty(), "ImageMagick did not write or read the picture");
        const Result<PictureImage> picture = Decode(file);
        QVERIFY2(picture, picture.Error().c_str());
        QCOMPARE(picture->width, 13);
        QCOMPARE(picture->height, 7);
        const QString difference = FirstDifference(*picture, expected, tolerance);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // Frame N composed as a viewer shows it is what ImageMagick's -coalesce gives.
    void gifFrames()
    {
        const QString path = Path("anim.gif");
        QVERIFY(!Convert({"-size",     "10x6",    "xc:white", "(",       "-size",      "4x3",   "xc:red",  "-set",
                          "page",      "+2+1",    ")",        "(",       "-size",      "3x3",   "xc:blue", "-set",
                          "page",      "+5+2",    "-set",     "dispose", "Background", ")",     "(",       "-size",
                          "2x2",       "xc:lime", "-set",     "page",    "+6+3",       "-set",  "dispose", "Previous",
                          ")",         "(",       "-size",    "3x2",     "xc:none",    "-fill", "black",   "-draw",
                          "point 1,0", "-set",    "page",     "+4+3",    ")",          path})
                     .isNull());
        const QByteArray frames = Convert({path, "-coalesce", "-depth", "8", "rgba:-"});
        const QByteArray file = FileBytes(path);
        for (int frame = 0; frame < 5; ++frame) {
            const Result<PictureImage> picture = Decode(file, frame);
            QVERIFY2(picture, picture.Error().c_str());
            const QString difference = FirstDifference(*picture, frames.mid(frame * 240, 240), 0);
            QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("frame %1: %2").arg(frame).arg(difference)));
        }
        QCOMPARE(Decode(file, 5).Error(), "there is no frame 5: the GIF has 5 frames (0 to 4)");
    }

    // Variants ImageMagick does not write, with the pixels their fields define.
    void craftedBmp_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("width");
        QTest::addColumn<QByteArray>("rgba");
        const QByteArray table = QByteArray::fromHex(
            "00000000"
            "0000ff00"
            "00ff0000");  // black, red, green
        QTest::newRow("24-bit top-down") << Bmp(40, 2, -2, 24, 0, {}, {},
                                                QByteArray::fromHex("0000ff00ff000000"
                                                                    "ff0000ffffff0000"))
                                         << 2
                                         << QByteArray::fromHex(
                                                "ff0000ff00ff00ff"
                                                "0000ffffffffffff");
        // Bottom row: a run of 1, 2, 1; end of line; a jump of one column; 2, 1, 2 written out; end.
        QTest::newRow("RLE4 with a jump; skipped pixels transparent") << Bmp(40, 4, 3, 4, 2, {}, table,
                                                                             QByteArray::fromHex("0312"
                                                                                                 "0000"
                                                                                                 "00020100"
                                                                                                 "00032120"
                                                                                                 "0001"))
                                                                      << 4
                                                                      << QByteArray::fromHex(
                                                                             "00000000000000000000000000000000"
                                                                             "0000000000ff00ffff0000ff00ff00ff"
                                                                             "ff0000ff00ff00ffff0000ff00000000");
        QTest::newRow("32-bit, no alpha mask: fourth byte ignored")
            << Bmp(40, 1, 1, 32, 0, {}, {}, QByteArray::fromHex("10203000")) << 1 << QByteArray::fromHex("302010ff");
        QTest::newRow("32-bit alpha bit fields")
            << Bmp(40, 1, 1, 32, 6, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {}, QByteArray::fromHex("10203080")) << 1
            << QByteArray::fromHex("30201080");
        QTest::newRow("32-bit, 52-byte header, masks in it")
            << Bmp(52, 1, 1, 32, 3, {0xFF, 0xFF00, 0xFF0000}, {}, QByteArray::fromHex("10203040")) << 1
            << QByteArray::fromHex("102030ff");
        QTest::newRow("16-bit 565, 56-byte header")
            << Bmp(56, 2, 1, 16, 3, {0xF800, 0x07E0, 0x1F, 0}, {}, QByteArray::fromHex("00f8e007")) << 2
            << QByteArray::fromHex("ff0000ff00ff00ff");
        QTest::newRow("16-bit, 124-byte header with alpha mask")
            << Bmp(124, 1, 1, 16, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}, {}, QByteArray::fromHex("00cf")) << 1
            << QByteArray::fromHex("ff0000cc");
        QTest::newRow("8-bit, short table, index past it black")
            << Bmp(40, 3, 1, 8, 0, {}, table, QByteArray::fromHex("02010500")) << 3
            << QByteArray::fromHex("00ff00ffff0000ff000000ff");
    }
    void craftedBmp()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, width);
        QFETCH(QByteArray, rgba);
        const Result<PictureImage> picture = Decode(file);
        QVERIFY2(picture, picture.Error().c_str());
        QCOMPARE(picture->width, width);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(picture->rgba.data()), int(picture->rgba.size())).toHex(),
                 rgba.toHex());
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("why");
        const QByteArray png = Written("r.png", {});
        const QByteArray gif = Written("r.gif", {});
        const QByteArray jpeg = Written("r.jpg", {"-alpha", "off"});
        const QByteArray bmp = Written("bmp3:r.bmp", {"-alpha", "off"});
        const int idat = png.indexOf("IDAT");
        QTest::newRow("text") << QByteArray("hello") << "not a picture this tool reads (PNG, GIF, JPEG, PNM or BMP)";
        QTest::newRow("empty") << QByteArray("") << "the file is empty";
        QTest::newRow("PNG truncated") << png.left(idat + 20) << "the file ends before the picture does";
        QTest::newRow("PNG CRC error") << QByteArray(png).replace(29, 1, "\x55")  // in IHDR's CRC
                                       << "a PNG chunk's checksum (CRC) is wrong: the file is damaged";
        // 20000 x 20000 grey pixels of 1 bit, all zero: 50 MB of rows in about 50 KB.
        QTest::newRow("PNG bomb") << Png("00004e2000004e200100000000", QByteArray(20000 * 2501, '\0'))
                                  << "20000 x 20000 pixels is more than the 128 million pixels this tool takes";
        QTest::newRow("PNG of 2000000 x 1, 16-bit RGBA")
            << Png("001e8480000000011006000000", QByteArray(1, '\0'))
            << "a side of the picture is longer than the 1048576 pixels this tool takes";
        // Interlaced, it would be held whole beside its rows.
        QTest::newRow("interlaced PNG of 1000000 x 12")
            << Png("000f42400000000c0806000001", QByteArray(1, '\0'))
            << "rows of 1000000 pixels need more memory than the 56 MiB this tool allows";
        QTest::newRow("GIF truncated") << gif.chopped(10) << "the file ends before the picture does";
        QTest::newRow("GIF of 0 x 0") << QByteArray(gif).replace(6, 4, QByteArray(4, '\0'))
                                      << "the picture is 0 x 0 pixels: it has no pixels";
        QTest::newRow("JPEG truncated") << jpeg.chopped(jpeg.size() / 3) << "the file ends before the picture does";
        // Baseline rows are decoded as they come; the data stops at once.
        const int frame = jpeg.indexOf("\xff\xc0");
        QTest::newRow("JPEG of 60000 x 60000")
            << QByteArray(jpeg).replace(frame + 5, 4, QByteArray::fromHex("ea60ea60"))
            << "the file ends before the picture does";
        // A progressive file's coefficients are held whole: 60000 x 60000 needs gigabytes.
        const QByteArray progressive = Written("p.jpg", {"-alpha", "off", "-interlace", "JPEG"});
        QTest::newRow("progressive JPEG of 60000 x 60000")
            << QByteArray(progressive).replace(progressive.indexOf("\xff\xc2") + 5, 4, QByteArray::fromHex("ea60ea60"))
            << "the JPEG needs more memory than the 56 MiB this tool allows";
        QTest::newRow("PNM of 20000 x 20000")
            << QByteArray("P5 20000 20000 255\n\0\0\0", 22)
            << "20000 x 20000 pixels is more than the 128 million pixels this tool takes";
        QTest::newRow("PNM of 0 x 5") << QByteArray("P5 0 5 255\n") << "the picture is 0 x 5 pixels: it has no pixels";
        QTest::newRow("PNM truncated") << QByteArray("P6 2 2 255\n\1\2\3\4\5")
                                       << "the file ends before the picture does";
        QTest::newRow("BMP truncated") << bmp.chopped(20) << "the file ends before the picture does";
        QTest::newRow("BMP of 0 x 7") << QByteArray(bmp).replace(18, 4, QByteArray(4, '\0'))
                                      << "the picture is 0 x 7 pixels: it has no pixels";
        QTest::newRow("BMP holding a JPEG")
            << Bmp(40, 1, 1, 24, 4, {}, {}, jpeg) << "a BMP holding a JPEG or PNG inside is not supported";
        QTest::newRow("BMP of 64 bits") << Bmp(40, 1, 1, 64, 0, {}, {}, QByteArray(8, '\0'))
                                        << "a BMP of 64 bits a pixel with compression 0 is not supported";
        QTest::newRow("frame 1 of a PNG") << png << "";
    }
    void refused()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        QVERIFY(!file.isNull());
        QElapsedTimer timer;
        timer.start();
        const bool frame = why.isEmpty();
        const Result<void> picture = Sampled(file, frame ? 1 : 0);
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY(!picture);
        QCOMPARE(QString::fromStdString(picture.Error()), frame ? "there is no frame 1: the picture has 1 frame" : why);
    }

    // Pictures too large to hold whole, taken row by row at their full size;
    // a JPEG over the pixel limit is decoded smaller by the library's DCT scaling.
    void largePictures_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("rows");  // the size the rows come in
        QTest::addColumn<QString>("why");
        constexpr int W = 4000, H = 3200;  // 12.8 million pixels
        QTest::newRow("PNG") << Png("00000fa000000c800800000000", QByteArray(H * (W + 1), '\0')) << QSize(W, H) << "";
        QTest::newRow("PNM") << QByteArray("P5 4000 3200 255\n") + QByteArray(W * H, '\x80') << QSize(W, H) << "";
        QTest::newRow("BMP") << Bmp(40, W, H, 1, 0, {}, QByteArray(8, '\0'), QByteArray(W / 8 * H, '\0')) << QSize(W, H)
                             << "";
        const QString path = Path("large.jpg");
        const QByteArray jpeg =
            Convert({"-size", "4000x3200", "xc:#808080", path}).isNull() ? QByteArray() : FileBytes(path);
        QTest::newRow("JPEG") << jpeg << QSize(W, H) << "";
        // The size is chosen before any row is read; the rows are not there.
        const int frame = jpeg.indexOf("\xff\xc0");
        QTest::newRow("JPEG of 12000 x 12000, halved")
            << QByteArray(jpeg).replace(frame + 5, 4, QByteArray::fromHex("2ee02ee0")).left(frame + 200)
            << QSize(6000, 6000) << "the file ends before the picture does";
    }
    void largePictures()
    {
        QFETCH(QByteArray, file);
        QFETCH(QSize, rows);
        QVERIFY(!file.isEmpty());
        QSize size;
        const Result<void> decoded = Sampled(file, 0, &size);
        QCOMPARE(size, rows);
        QTEST(QString::fromStdString(decoded.Error()), "why");
    }
};

QTEST_GUILESS_MAIN(DecodersTest)
#include "tst_decoders.moc"
