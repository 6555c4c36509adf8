// A picture decoded from any format the tool reads (PNG, GIF, JPEG, PNM, BMP),
// before it is fitted onto the display: its pixels as 8-bit sRGB with straight
// alpha, top row first. A decoder hands the rows to a sink as it makes them,
// so a picture need not be held whole: fitted onto the display, the memory it
// takes grows with its width, not its height.
#pragma once

#include "common/byte_source.h"
#include "common/result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quillon {

struct PictureImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4: red, green, blue, alpha

    const std::uint8_t* Pixel(int x, int y) const
    {
        return rgba.data() +
               (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
    }
};

// Where a decoder puts a picture: its size first, then every row once, top to
// bottom, each `width` pixels of red, green, blue and alpha (so a picture held
// whole and handed on again gives a sink the very same calls). Start may
// refuse the size; the decoder then stops with that failure.
class PictureSink {
public:
    virtual ~PictureSink() = default;
    virtual Result<void> Start(int width, int height) = 0;
    virtual void Row(int y, const std::uint8_t* rgba) = 0;
};

// Holds the picture whole, up to MaxPicturePixels (decode_limits.h).
class PictureCollector final : public PictureSink {
public:
    Result<void> Start(int width, int height) override;
    void Row(int y, const std::uint8_t* rgba) override;
    PictureImage picture;
};

// A picture held whole, handed to a sink row by row.
Result<void> FeedPicture(const PictureImage& picture, PictureSink& sink);

// Every frame of an animation as a viewer shows it: the canvas after the frame
// is drawn, and how long it stays, in milliseconds.
using FrameCall = std::function<Result<void>(const PictureImage& canvas, int delay)>;

struct DecodeOptions {
    int frame = 0;  // of an animated GIF, from 0, composed as a viewer shows it
    // When set, every frame goes to it (the sink takes none), up to MaxFrames.
    FrameCall everyFrame;
};

// The most frames an animation is taken with.
inline constexpr int MaxFrames = 1000;

// Decodes a picture told by its content into `sink`. Sizes are checked before
// anything is allocated: a picture too large for the tool's memory bound is
// refused, as is a damaged or unsupported file, with one line saying why.
Result<void> DecodePicture(ByteSource& source, const DecodeOptions& options, PictureSink& sink);
// The same from bytes in memory, the picture held whole.
Result<PictureImage> DecodePicture(std::span<const std::uint8_t> bytes, const DecodeOptions& options = {});

}  // namespace quillon
