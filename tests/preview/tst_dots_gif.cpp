// The glass's recordings as GIF pictures, read back by the tool's own GIF
// decoder: every frame's pixels are its dots in the window's colours, a dot
// `scale` pixels each way, each frame for its centiseconds.
#include "common/byte_source.h"
#include "intake/picture_image.h"
#include "preview/dot_walk.h"
#include "preview/dots_gif.h"

#include <QtTest>

using namespace quillon;

namespace {

// Frame k's dots: a pattern of its own.
DotsFrame FrameOf(int k, int centiseconds)
{
    DotsFrame frame{{}, centiseconds};
    for (std::size_t dot = 0; dot < frame.dots.size(); ++dot)
        frame.dots[dot] = (dot * 7 + dot / DisplayWidth + std::size_t(k)) % 3 == 0 ? DotPaint::Set : DotPaint::Clear;
    return frame;
}

bool Paints(const std::uint8_t* pixel, RgbValue colour)
{
    return pixel[0] == (colour & 0xFF) && pixel[1] == ((colour >> 8) & 0xFF) && pixel[2] == ((colour >> 16) & 0xFF) &&
           pixel[3] == 255;
}

}  // namespace

class DotsGifTest : public QObject {
    Q_OBJECT

private slots:
    void readBack_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<QList<int>>("centiseconds");
        QTest::newRow("one frame, 1 pixel a dot") << 1 << QList<int>{0};
        QTest::newRow("three frames, 3 pixels a dot") << 3 << QList<int>{8, 20, 655};
    }
    void readBack()
    {
        QFETCH(int, scale);
        QFETCH(QList<int>, centiseconds);
        std::vector<DotsFrame> frames;
        for (int k = 0; k < centiseconds.size(); ++k)
            frames.push_back(FrameOf(k, centiseconds[k]));
        const Result<std::string> gif = DotsGif(frames, scale);
        QVERIFY2(gif, gif ? "" : gif.Error().c_str());

        std::size_t k = 0;
        DecodeOptions every;
        every.everyFrame = [&](const PictureImage& canvas, int delay) -> Result<void> {
            if (k >= frames.size())
                return Failure{"more frames than were written"};
            if (canvas.width != DisplayWidth * scale || canvas.height != DisplayHeight * scale ||
                delay != frames[k].centiseconds * 10)
                return Failure{"frame " + std::to_string(k) + ": " + std::to_string(canvas.width) + " x " +
                               std::to_string(canvas.height) + ", " + std::to_string(delay) + " ms"};
            for (int y = 0; y < canvas.height; ++y) {
                for (int x = 0; x < canvas.width; ++x) {
                    const bool set = frames[k].dots[std::size_t(y / scale * DisplayWidth + x / scale)] == DotPaint::Set;
                    if (!Paints(canvas.Pixel(x, y), set ? SetDotColour : ClearDotColour))
                        return Failure{"frame " + std::to_string(k) + " differs at " + std::to_string(x) + ", " +
                                       std::to_string(y)};
                }
            }
            ++k;
            return {};
        };
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(gif->data());
        MemorySource source(std::span(bytes, gif->size()));
        PictureCollector none;
        const Result<void> decoded = DecodePicture(source, every, none);
        QVERIFY2(decoded, decoded ? "" : decoded.Error().c_str());
        QCOMPARE(k, frames.size());
    }

    void refused_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("frames");
        QTest::newRow("no frame") << 4 << 0;
        QTest::newRow("scale 0") << 0 << 1;
        QTest::newRow("scale 17") << 17 << 1;
    }
    void refused()
    {
        QFETCH(int, scale);
        QFETCH(int, frames);
        const std::vector<DotsFrame> none(static_cast<std::size_t>(frames), FrameOf(0, 10));
        QVERIFY(!DotsGif(none, scale));
    }
};

QTEST_GUILESS_MAIN(DotsGifTest)
#include "tst_dots_gif.moc"
