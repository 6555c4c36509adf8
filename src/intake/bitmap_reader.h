// Reads a picture file's BMP headers, colour table and pixel rows from its bytes,
// and decides whether the tool accepts it.
#pragma once

#include "common/display.h"
#include "intake/bmp_records.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quillon {

// The one picture the window takes: the display's size, 1 bit a pixel.
inline constexpr int AcceptedWidth = DisplayWidth;
inline constexpr int AcceptedHeight = DisplayHeight;
inline constexpr int AcceptedBitCount = 1;

// Bytes of the two headers at the start of a file.
inline constexpr std::size_t HeadersSize = 14 + 40;

// No accepted picture needs more than this; a longer file is read only this far.
inline constexpr std::size_t ReadLimit = 16 * 1024 * 1024;

// Text of the message box that answers a rejected picture.
inline constexpr const char* SizeErrorTitle = "Picture Size Error";
std::string SizeErrorPrompt();

// Height, then width, then bit depth; a top-down picture (negative height) fails.
bool IsAcceptable(const BITMAPINFOHEADER& info);

// An accepted picture's pixels, top row first, one colour-table index (0 or 1) each.
struct MonoPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> index;
    std::array<RGBQUAD, 2> table{};

    int IndexAt(int x, int y) const { return index[static_cast<std::size_t>(y) * width + x]; }
    // Colour value of pixel (x, y) of the picture as displayed.
    // Choosing between the two entries' colours, rather than indexing the
    // table, lets the compiler work the two out once for a run of pixels
    // instead of at every pixel.
    RgbValue Pixel(int x, int y) const
    {
        const RgbValue colour0 = ColourOf(table[0]);
        const RgbValue colour1 = ColourOf(table[1]);
        return IndexAt(x, y) != 0 ? colour1 : colour0;
    }
};

struct PictureRead {
    enum class Outcome { Accepted, Rejected, Unreadable };
    Outcome outcome = Outcome::Unreadable;
    std::string problem;  // why an unreadable file could not be read, in words for the user
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER infoHeader;
    bool hasColourTable = false;  // two entries were read: the file has 1 bit per pixel
    std::array<RGBQUAD, 2> colourTable{};
    MonoPicture picture;  // filled only when accepted
};

// Reads the headers (little-endian, field by field), for a 1-bit file the two
// colour-table entries behind the info header (at 14 + biSize), applies the
// acceptance rule and, for an accepted picture, decodes its bottom-up rows from
// bfOffBits. `bytes` is the file from its start, at most ReadLimit long.
PictureRead ReadPicture(std::span<const std::uint8_t> bytes);

}  // namespace quillon
