// Artwork onto the dots, step by step: orientation, placement, resampling in
// linear light, luminance, threshold and the dithers.
#include "convert/artwork.h"

#include <QTest>

#include <bit>
#include <functional>

using namespace quillon;

Q_DECLARE_METATYPE(quillon::Fit)
Q_DECLARE_METATYPE(quillon::Flip)
Q_DECLARE_METATYPE(quillon::Dither)
Q_DECLARE_METATYPE(quillon::Placement)
Q_DECLARE_METATYPE(quillon::PictureImage)
Q_DECLARE_METATYPE(quillon::ArtworkOptions)
Q_DECLARE_METATYPE(quillon::DisplayImage)

namespace {

using Shape = std::function<bool(int x, int y)>;

PictureImage Picture(int width, int height, const std::function<std::array<int, 4>(int x, int y)>& colour)
{
    PictureImage picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (const int value : colour(x, y))
                picture.rgba.push_back(static_cast<std::uint8_t>(value));
        }
    }
    return picture;
}

PictureImage BlackWhite(int width, int height, const Shape& black)
{
    return Picture(width, height, [&](int x, int y) {
        const int v = black(x, y) ? 0 : 255;
        return std::array{v, v, v, 255};
    });
}

DisplayImage Dots(const Shape& lit)
{
    DisplayImage image;
    for (int y = 0; y < DisplayHeight; ++y) {
        for (int x = 0; x < DisplayWidth; ++x)
            image.SetDot(x, y, lit(x, y));
    }
    return image;
}

double LitShare(const DisplayImage& image)
{
    int lit = 0;
    for (const std::uint8_t byte : image.bytes())
        lit += std::popcount(byte);
    return lit / double(DisplayWidth * DisplayHeight);
}

GreyImage Flat(int v)
{
    GreyImage grey;
    grey.fill(static_cast<std::uint8_t>(v));
    return grey;
}

}  // namespace

class ArtworkTest : public QObject {
    Q_OBJECT
private slots:
    void orientation_data()
    {
        QTest::addColumn<int>("rotate");
        QTest::addColumn<Flip>("flip");
        QTest::addColumn<QString>("seen");  // the 3 x 2 picture "012/345" turned, row by row
        QTest::newRow("as it is") << 0 << Flip::None << "012/345";
        QTest::newRow("90 clockwise") << 90 << Flip::None << "30/41/52";
        QTest::newRow("180") << 180 << Flip::None << "543/210";
        QTest::newRow("270 clockwise") << 270 << Flip::None << "25/14/03";
        QTest::newRow("mirrored left to right") << 0 << Flip::Horizontal << "210/543";
        QTest::newRow("upside down") << 0 << Flip::Vertical << "345/012";
        QTest::newRow("90, then mirrored") << 90 << Flip::Horizontal << "03/14/25";
        QTest::newRow("270, then upside down") << 270 << Flip::Vertical << "03/14/25";
    }
    void orientation()
    {
        QFETCH(int, rotate);
        QFETCH(Flip, flip);
        const Orientation view = Orient(3, 2, rotate, flip);
        QStringList rows(view.height, QString(view.width, '?'));
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x)
                rows[view.SeenY(x, y)][view.SeenX(x, y)] = QChar('0' + y * 3 + x);
        }
        QCOMPARE(view.RowsAcross(), rotate % 180 == 0);
        QTEST(rows.join('/'), "seen");
    }

    void placement_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<Fit>("fit");
        QTest::addColumn<Placement>("expected");
        for (const Fit fit : {Fit::Contain, Fit::Cover, Fit::Stretch, Fit::None})
            QTest::addRow("122 x 32, %s", FitName(fit).data()) << 122 << 32 << fit << Placement{122, 32, 0, 0};
        QTest::newRow("244 x 64 halved") << 244 << 64 << Fit::Contain << Placement{122, 32, 0, 0};
        QTest::newRow("480 x 128 into 120 x 32") << 480 << 128 << Fit::Contain << Placement{120, 32, 1, 0};
        QTest::newRow("photo, contain") << 1920 << 1080 << Fit::Contain << Placement{57, 32, 32, 0};
        QTest::newRow("photo, cover") << 1920 << 1080 << Fit::Cover << Placement{122, 69, 0, -18};
        QTest::newRow("small, enlarged") << 10 << 10 << Fit::Contain << Placement{32, 32, 45, 0};
        QTest::newRow("stretch") << 50 << 50 << Fit::Stretch << Placement{122, 32, 0, 0};
        QTest::newRow("none, wider") << 200 << 10 << Fit::None << Placement{200, 10, -39, 11};
    }
    void placement()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(Fit, fit);
        QFETCH(Placement, expected);
        QVERIFY(FitOnDisplay(width, height, fit) == expected);
    }

    // Black and white pictures whose dots are known exactly, under every dither.
    void exact_data()
    {
        QTest::addColumn<PictureImage>("picture");
        QTest::addColumn<ArtworkOptions>("options");
        QTest::addColumn<DisplayImage>("expected");
        const Shape shape = [](int x, int y) { return (x * x + 4 * y * y) % 7 < 3 || x == y; };
        const Shape blocks = [&](int x, int y) { return shape(x / 2, y / 2); };
        const Shape middle = [](int x, int) { return x >= 30 && x < 91; };
        QTest::newRow("122 x 32 shape") << BlackWhite(122, 32, shape) << ArtworkOptions{} << Dots(shape);
        QTest::newRow("244 x 64 of 2 x 2 blocks") << BlackWhite(244, 64, blocks) << ArtworkOptions{} << Dots(shape);
        QTest::newRow("61 x 16 doubled") << BlackWhite(61, 16, shape) << ArtworkOptions{} << Dots(blocks);
        QTest::newRow("padded white") << BlackWhite(61, 32, [](int, int) { return true; }) << ArtworkOptions{}
                                      << Dots(middle);
        QTest::newRow("padded black") << BlackWhite(61, 32, [](int, int) { return false; })
                                      << ArtworkOptions{.background = Background::Black}
                                      << Dots([&](int x, int y) { return !middle(x, y); });
    }
    void exact()
    {
        QFETCH(PictureImage, picture);
        QFETCH(ArtworkOptions, options);
        QFETCH(DisplayImage, expected);
        for (const Dither dither : {Dither::None, Dither::FloydSteinberg, Dither::Atkinson, Dither::Bayer}) {
            options.dither = dither;
            QVERIFY2(ConvertArtwork(picture, options) == expected, DitherName(dither).data());
        }
        options.inverse = true;
        QCOMPARE(LitShare(ConvertArtwork(picture, options)), 1 - LitShare(expected));
    }

    // Greys as stored, from colours and mixtures: mixed in linear light for
    // the dithers, in the picture's sRGB values for the threshold.
    void grey_data()
    {
        QTest::addColumn<PictureImage>("picture");
        QTest::addColumn<int>("linear");
        QTest::addColumn<int>("encoded");
        const auto flat = [](std::array<int, 4> colour) { return Picture(122, 32, [=](int, int) { return colour; }); };
        QTest::newRow("red") << flat({255, 0, 0, 255}) << 127 << 54;
        QTest::newRow("blue") << flat({0, 0, 255, 255}) << 76 << 18;
        QTest::newRow("a colour") << flat({200, 100, 50, 255}) << 128 << 118;
        QTest::newRow("grey 77") << flat({77, 77, 77, 255}) << 77 << 77;
        // Half black, half white: half the light is sRGB 188; the values' mean 128.
        QTest::newRow("black and white columns halved") << Picture(244, 64, [](int x, int) {
            return std::array{x % 2 * 255, x % 2 * 255, x % 2 * 255, 255};
        }) << 188 << 128;
        QTest::newRow("the same turned") << Picture(64, 244, [](int, int y) {
            return std::array{y % 2 * 255, y % 2 * 255, y % 2 * 255, 255};
        }) << 188 << 128;
        QTest::newRow("black, half transparent, on white") << flat({0, 0, 0, 128}) << 187 << 127;
    }
    void grey()
    {
        QFETCH(PictureImage, picture);
        for (const Dither dither : {Dither::FloydSteinberg, Dither::None}) {
            // A tall picture is turned to fill the display as the wide one does.
            ArtworkSampler sampler(ArtworkOptions{.dither = dither, .rotate = picture.height > 100 ? 90 : 0});
            QVERIFY(FeedPicture(picture, sampler));
            QTEST(int(sampler.Grey()[5 * DisplayWidth + 7]), dither == Dither::None ? "encoded" : "linear");
        }
    }

    void thresholdEdge()
    {
        for (const int threshold : {1, 64, 128, 255}) {
            QCOMPARE(LitShare(Threshold(Flat(threshold - 1), threshold)), 1.0);
            QCOMPARE(LitShare(Threshold(Flat(threshold), threshold)), 0.0);
        }
    }

    void ditherShare_data()
    {
        QTest::addColumn<Dither>("dither");
        QTest::addColumn<double>("tolerance");
        QTest::newRow("floyd-steinberg") << Dither::FloydSteinberg << 0.02;
        QTest::newRow("atkinson") << Dither::Atkinson << 0.1;  // it drops a quarter of the error, so saturates
        QTest::newRow("bayer") << Dither::Bayer << 0.02;
    }
    void ditherShare()
    {
        QFETCH(Dither, dither);
        QFETCH(double, tolerance);
        for (const int v : {16, 48, 96, 128, 160, 208, 240}) {
            const DisplayImage dots = DitherGrey(Flat(v), dither);
            QVERIFY2(std::abs(LitShare(dots) - (255 - v) / 255.0) <= tolerance, qPrintable(QString::number(v)));
            for (int y = 0; dither == Dither::Bayer && y < DisplayHeight; ++y) {
                for (int x = 0; x < DisplayWidth; ++x)
                    QCOMPARE(dots.Dot(x, y), dots.Dot(x % 8, y % 8));  // periodic
            }
        }
    }
};

QTEST_GUILESS_MAIN(ArtworkTest)
#include "tst_artwork.moc"
