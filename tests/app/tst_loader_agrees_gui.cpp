// Our reading of a picture's pixels and the platform's image loader agree, so
// the listing is made from the picture the window shows.
#include "intake/bitmap_reader.h"
#include "support/bmp_maker.h"

#include <QImage>
#include <QTest>

using namespace quillon;
using namespace quillon::test;

class LoaderAgreesTest : public QObject {
    Q_OBJECT
private slots:
    void samePixels_data()
    {
        QTest::addColumn<QByteArray>("file");
        for (const std::uint32_t infoSize : {40u, 108u, 124u}) {
            for (unsigned seed = 1; seed <= 3; ++seed)
                QTest::addRow("%u-byte header, seed %u", infoSize, seed) << [&] {
                    BmpRecipe recipe = RandomPicture(seed);
                    recipe.infoSize = infoSize;
                    return MakeBmp(recipe);
                }();
        }
        // Set bits in each row's padding, right of the last column, must not show.
        QByteArray padded = MakeBmp(RandomPicture(4));
        for (int row = 0; row < 32; ++row) {
            const int at = 62 + 16 * row;
            padded[at + 15] = static_cast<char>(padded[at + 15] | 0x3F);
        }
        QTest::newRow("padding bits set") << padded;
    }
    void samePixels()
    {
        QFETCH(QByteArray, file);
        const PictureRead read = ReadPicture(
            std::span(reinterpret_cast<const std::uint8_t*>(file.constData()), static_cast<std::size_t>(file.size())));
        QCOMPARE(read.outcome, PictureRead::Outcome::Accepted);
        const QImage image = QImage::fromData(file, "BMP");
        QCOMPARE(image.size(), QSize(122, 32));
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 122; ++x) {
                const QColor shown = image.pixelColor(x, y);
                QCOMPARE(Rgb(shown.red(), shown.green(), shown.blue()), read.picture.Pixel(x, y));
            }
        }
    }
};

QTEST_MAIN(LoaderAgreesTest)
#include "tst_loader_agrees_gui.moc"
