// Artwork onto the dots, step by step: orientation, placement, resampling in
// linear light, luminance, threshold and the dithers.
#include "convert/artwork.h"
#include "support/artwork_pictures.h"
#include "support/test_main.h"

#include <QTest>

using namespace quillon;
using namespace quillon::test;

Q_DECLARE_METATYPE(quillon::Fit)
Q_DECLARE_METATYPE(quillon::Flip)
Q_DECLARE_METATYPE(quillon::Dither)
Q_DECLARE_METATYPE(quillon::Placement)
Q_DECLARE_METATYPE(quillon::PictureImage)
Q_DECLARE_METATYPE(quillon::ArtworkOptions)
Q_DECLARE_METATYPE(quillon::DisplayImage)

namespace {

double LitShare(const DisplayImage& image)
{
    int lit = 0;
    for (int y = 0; y < DisplayHeight; ++y) {
        for (int x = 0; x < DisplayWidth; ++x)
            lit += image.Dot(x, y);
    }
    return static_cast<double>(lit) / (DisplayWidth * DisplayHeight);
}

ArtworkOptions With(Fit fit, Background background = Background::White, int rotate = 0, Flip flip = Flip::None)
{
    ArtworkOptions options;
    options.fit = fit;
    options.background = background;
    options.rotate = rotate;
    options.flip = flip;
    return options;
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
        QFETCH(QString, seen);
        const PictureImage picture = MakePicture(3, 2, [](int x, int y) { return Grey(y * 3 + x); });
        const OrientedPicture view = Orient(picture, rotate, flip);
        QStringList rows;
        for (int y = 0; y < view.height; ++y) {
            QString row;
            for (int x = 0; x < view.width; ++x)
                row += QString::number(view.Pixel(x, y)[0]);
            rows << row;
        }
        QCOMPARE(rows.join('/'), seen);
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
        QTest::newRow("small, cover") << 10 << 10 << Fit::Cover << Placement{122, 122, 0, -45};
        QTest::newRow("stretch") << 50 << 50 << Fit::Stretch << Placement{122, 32, 0, 0};
        QTest::newRow("none, taller") << 50 << 50 << Fit::None << Placement{50, 50, 36, -9};
        QTest::newRow("none, wider") << 200 << 10 << Fit::None << Placement{200, 10, -39, 11};
    }
    void placement()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(Fit, fit);
        QFETCH(Placement, expected);
        const Placement got = FitOnDisplay(width, height, fit);
        QVERIFY2(
            got == expected,
            qPrintable(QStringLiteral("%1 x %2 at %3, %4").arg(got.width).arg(got.height).arg(got.left).arg(got.top)));
    }

    // Pictures whose dots are known exactly, under every dither.
    void exact_data()
    {
        QTest::addColumn<PictureImage>("picture");
        QTest::addColumn<ArtworkOptions>("options");
        QTest::addColumn<DisplayImage>("expected");
        const auto shape = [](int x, int y) { return (x * x + 4 * y * y) % 7 < 3 || x == y; };
        const auto blocks = [&](int x, int y) { return shape(x / 2, y / 2); };
        const auto inside = [](int x0, int y0, int x1, int y1) {
            return [=](int x, int y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
        };
        const Fit contain = Fit::Contain;
        QTest::newRow("122 x 32 shape") << BlackWhite(122, 32, shape) << With(contain) << Dots(shape);
        QTest::newRow("244 x 64 of 2 x 2 blocks") << BlackWhite(244, 64, blocks) << With(contain) << Dots(shape);
        QTest::newRow("61 x 16 doubled") << BlackWhite(61, 16, shape) << With(contain) << Dots(blocks);
        QTest::newRow("contain pads white")
            << BlackWhite(61, 32, [](int, int) { return true; }) << With(contain) << Dots(inside(30, 0, 91, 32));
        QTest::newRow("contain pads black")
            << BlackWhite(61, 32, [](int, int) { return false; }) << With(contain, Background::Black)
            << Dots([&](int x, int y) { return !inside(30, 0, 91, 32)(x, y); });
        QTest::newRow("cover crops the sides") << BlackWhite(244, 32, [](int x, int) { return x < 122; })
                                               << With(Fit::Cover) << Dots(inside(0, 0, 61, 32));
        QTest::newRow("stretch") << BlackWhite(61, 64, [](int, int y) { return y < 32; }) << With(Fit::Stretch)
                                 << Dots(inside(0, 0, 122, 16));
        QTest::newRow("none, centred 1:1")
            << BlackWhite(10, 10, [](int, int) { return true; }) << With(Fit::None) << Dots(inside(56, 11, 66, 21));
        QTest::newRow("turned 90 onto the display")
            << BlackWhite(32, 122, [](int, int y) { return y < 10; }) << With(contain, Background::White, 90)
            << Dots(inside(112, 0, 122, 32));
        QTest::newRow("mirrored") << BlackWhite(122, 32, shape) << With(contain, Background::White, 0, Flip::Horizontal)
                                  << Dots([&](int x, int y) { return shape(121 - x, y); });
        QTest::newRow("transparent on white")
            << Transparent(122, 32) << With(contain) << Dots([](int, int) { return false; });
        QTest::newRow("transparent on black")
            << Transparent(122, 32) << With(contain, Background::Black) << Dots([](int, int) { return true; });
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
        DisplayImage inverted;
        for (std::size_t i = 0; i < DisplayBytes; ++i)
            inverted.SetByte(i, static_cast<std::uint8_t>(~expected.Byte(i)));
        QVERIFY(ConvertArtwork(picture, options) == inverted);
    }

    // Greys as stored, from colours and mixtures: luminance on linear light.
    void grey_data()
    {
        QTest::addColumn<PictureImage>("picture");
        QTest::addColumn<int>("expected");
        const auto flat = [](Rgba colour) { return MakePicture(122, 32, [=](int, int) { return colour; }); };
        QTest::newRow("red") << flat({255, 0, 0, 255}) << 127;
        QTest::newRow("green") << flat({0, 255, 0, 255}) << 220;
        QTest::newRow("blue") << flat({0, 0, 255, 255}) << 76;
        QTest::newRow("a colour") << flat({200, 100, 50, 255}) << 128;
        // Half black, half white is half the light, sRGB 188 (not 128).
        QTest::newRow("black and white columns halved")
            << MakePicture(244, 64, [](int x, int) { return Grey(x % 2 ? 255 : 0); }) << 188;
        QTest::newRow("black, half transparent, on white") << flat({0, 0, 0, 128}) << 187;
    }
    void grey()
    {
        QFETCH(PictureImage, picture);
        QFETCH(int, expected);
        const OrientedPicture view = Orient(picture, 0, Flip::None);
        const GreyImage grey =
            Luminance(Resample(view, FitOnDisplay(view.width, view.height, Fit::Contain), Background::White));
        QCOMPARE(int(grey[5 * DisplayWidth + 7]), expected);
        QCOMPARE(int(grey.back()), expected);
    }

    void greys_keep_their_level()
    {
        for (int v = 0; v < 256; ++v) {
            const PictureImage picture = MakePicture(122, 32, [=](int, int) { return Grey(v); });
            const GreyImage grey =
                Luminance(Resample(Orient(picture, 0, Flip::None), {122, 32, 0, 0}, Background::White));
            QCOMPARE(int(grey[100]), v);
        }
    }

    void threshold_edge_data()
    {
        QTest::addColumn<int>("threshold");
        for (const int threshold : {1, 64, 128, 200, 255})
            QTest::addRow("%d", threshold) << threshold;
    }
    void threshold_edge()
    {
        QFETCH(int, threshold);
        GreyImage below, at;
        below.fill(static_cast<std::uint8_t>(threshold - 1));
        at.fill(static_cast<std::uint8_t>(threshold));
        QCOMPARE(LitShare(Threshold(below, threshold)), 1.0);
        QCOMPARE(LitShare(Threshold(at, threshold)), 0.0);
    }

    void dither_share_data()
    {
        QTest::addColumn<Dither>("dither");
        QTest::addColumn<double>("tolerance");
        QTest::newRow("floyd-steinberg") << Dither::FloydSteinberg << 0.02;
        QTest::newRow("atkinson") << Dither::Atkinson << 0.1;  // it drops a quarter of the error, and so saturates
        QTest::newRow("bayer") << Dither::Bayer << 0.02;
    }
    void dither_share()
    {
        QFETCH(Dither, dither);
        QFETCH(double, tolerance);
        for (const int v : {16, 48, 96, 128, 160, 208, 240}) {
            GreyImage grey;
            grey.fill(static_cast<std::uint8_t>(v));
            const double share = LitShare(DitherGrey(grey, dither));
            QVERIFY2(std::abs(share - (255 - v) / 255.0) <= tolerance,
                     qPrintable(QStringLiteral("grey %1: %2 lit").arg(v).arg(share)));
        }
    }

    void bayer_is_periodic()
    {
        for (const int v : {40, 128, 220}) {
            GreyImage grey;
            grey.fill(static_cast<std::uint8_t>(v));
            const DisplayImage dots = DitherGrey(grey, Dither::Bayer);
            for (int y = 0; y < DisplayHeight; ++y) {
                for (int x = 0; x < DisplayWidth; ++x)
                    QCOMPARE(dots.Dot(x, y), dots.Dot(x % 8, y % 8));
            }
        }
    }
};

QUILLON_TEST(ArtworkTest);
#include "tst_artwork.moc"
