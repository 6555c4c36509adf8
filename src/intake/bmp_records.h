// The records of the BMP format a picture's headers are read into, fields in
// file order, and colour values as the tool compares and paints them.
#pragma once

#include "common/guarded.h"

#include <cstdint>

namespace quillon {

// Filled field by field from little-endian bytes (see bitmap_reader.h), never
// overlaid on a buffer.
struct BITMAPFILEHEADER {
    std::uint16_t bfType = 0;
    std::uint32_t bfSize = 0;
    std::uint16_t bfReserved1 = 0;
    std::uint16_t bfReserved2 = 0;
    std::uint32_t bfOffBits = 0;
};

struct BITMAPINFOHEADER {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    Int16 biBitCount;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::uint32_t biXPelsPerMeter = 0;
    std::uint32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};

// Colour value as the tool compares and paints it: red + 256 * green + 65536 * blue.
using RgbValue = std::int32_t;

constexpr RgbValue Rgb(int red, int green, int blue)
{
    return red + 256 * green + 65536 * blue;
}

constexpr RgbValue ColourOf(const RGBQUAD& entry)
{
    return Rgb(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
}

}  // namespace quillon
