// A picture decoded from any format the tool reads (PNG, GIF, JPEG, PNM, BMP),
// before it is fitted onto the display: its pixels as 8-bit sRGB with straight
// alpha, top row first.
#pragma once

#include "common/result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quillon {

struct PictureImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4: red, green, blue, alpha

    const std::uint8_t* Pixel(int x, int y) const
    {
        return rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
    }
};

struct DecodeOptions {
    int frame = 0;  // of an animated GIF, from 0, composed as a viewer shows it
};

// Decodes a picture told by its content. Sizes are checked before anything is
// allocated: a picture too large to hold within the tool's memory bound is
// refused, as is a damaged or unsupported file, with one line saying why.
Result<PictureImage> DecodePicture(std::span<const std::uint8_t> bytes, const DecodeOptions& options = {});

}  // namespace quillon
