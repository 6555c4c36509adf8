// What a file is told as, by content: a picture's signature wins over any
// size rule, so a picture of exactly 488 bytes (the size of a bin table) is
// read as the picture it is; a 488-byte file is a bin table only when it is
// nothing else.
#include "engine/identify.h"
#include "support/display_images.h"
#include "support/files.h"
#include "support/magick.h"

#include <zlib.h>
#include <QTemporaryDir>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

namespace {

// A PNG chunk, its CRC reckoned.
QByteArray Chunk(const QByteArray& type, const QByteArray& data)
{
    const QByteArray body = type + data;
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()));
    return QByteArray::fromHex(QByteArray::number(data.size(), 16).rightJustified(8, '0')) + body +
           QByteArray::fromHex(QByteArray::number(quint32(crc), 16).rightJustified(8, '0'));
}

// A picture ImageMagick writes, grown to `size` bytes the way its format
// allows: PNG by a private chunk before its end, GIF by a comment, BMP by
// bytes past its pixels.
QByteArray Grown(const QString& format, int size)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("p." + format);
    const QByteArray drawn = Convert(
        {"-size", "20x8", "xc:white", "-fill", "black", "-draw", "rectangle 2,2 9,5", "-type", "Bilevel", path});
    QByteArray file = drawn.isNull() ? QByteArray() : FileBytes(path);
    if (file.isEmpty() || file.size() > size - 32)
        return {};
    const int room = size - static_cast<int>(file.size());
    if (format == "png")
        return file.insert(file.size() - 12, Chunk("quIl", QByteArray(room - 12, '\0')));
    if (format == "gif") {
        Convert({path, "-set", "comment", QString(room - 5, 'x'), path});
        return FileBytes(path);
    }
    return file + QByteArray(room, '\0');
}

}  // namespace

class IdentifyTest : public QObject {
    Q_OBJECT
private slots:
    void pictureOf488Bytes_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("kind");
        QTest::newRow("PNG") << "png"
                             << "PNG";
        QTest::newRow("GIF") << "gif"
                             << "GIF";
        QTest::newRow("BMP") << "bmp"
                             << "BMP";
    }
    void pictureOf488Bytes()
    {
        QFETCH(QString, format);
        QFETCH(QString, kind);
        const QByteArray picture = Grown(format, 488);
        QCOMPARE(picture.size(), 488);
        const Identity identity = Identify(picture.toStdString());
        QVERIFY(identity.picture && !identity.table);
        QCOMPARE(QString::fromLatin1(identity.picture->name), kind);
        // Its dots are the picture's: a dark rectangle, not the file's bytes.
        const Result<ReadBack> dots = DotsOfBytes(picture.toStdString());
        QVERIFY2(dots, dots.Error().c_str());
        QVERIFY(dots->image.Dot(30, 16) && !dots->image.Dot(2, 2));
        QVERIFY(dots->image.bytes() != DisplayImage::Bytes());
    }

    // 488 bytes of anything else, text or not, is a bin table.
    void otherBytesAreBin()
    {
        QByteArray bytes(488, '\0');
        for (int k = 0; k < 488; ++k)
            bytes[k] = char(k * 37 + 11);
        const Identity identity = Identify(bytes.toStdString());
        QVERIFY(!identity.picture && identity.table);
        QCOMPARE(QString::fromLatin1(identity.table->name), "bin");
        QCOMPARE(QString::fromLatin1(Identify(std::string(488, 'x')).table->name), "bin");
    }
};

QTEST_GUILESS_MAIN(IdentifyTest)
#include "tst_identify.moc"
