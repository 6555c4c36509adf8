// Decoded pictures made in memory for the artwork tests, and the dots they
// should give.
#pragma once

#include "formats/display_image.h"
#include "intake/picture_image.h"

#include <array>
#include <functional>

namespace quillon::test {

using Rgba = std::array<std::uint8_t, 4>;

inline Rgba Grey(int level)
{
    const auto v = static_cast<std::uint8_t>(level);
    return {v, v, v, 255};
}

inline PictureImage MakePicture(int width, int height, const std::function<Rgba(int x, int y)>& colour)
{
    PictureImage picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgba pixel = colour(x, y);
            std::copy(pixel.begin(), pixel.end(),
                      picture.rgba.begin() + (static_cast<std::ptrdiff_t>(y) * width + x) * 4);
        }
    }
    return picture;
}

// Black where `black` says so, white elsewhere, opaque.
inline PictureImage BlackWhite(int width, int height, const std::function<bool(int x, int y)>& black)
{
    return MakePicture(width, height, [&](int x, int y) { return Grey(black(x, y) ? 0 : 255); });
}

inline PictureImage Transparent(int width, int height)
{
    return MakePicture(width, height, [](int x, int y) { return Rgba{std::uint8_t(x), std::uint8_t(y), 0, 0}; });
}

inline DisplayImage Dots(const std::function<bool(int x, int y)>& lit)
{
    DisplayImage image;
    for (int y = 0; y < DisplayHeight; ++y) {
        for (int x = 0; x < DisplayWidth; ++x)
            image.SetDot(x, y, lit(x, y));
    }
    return image;
}

}  // namespace quillon::test
