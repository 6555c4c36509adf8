// The process-wide facts about the selected picture and its conversion, the BMP
// records they are read into, colour values and the guarded 16-bit number.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace quillon {

// A 16-bit signed field. Every value stored into it is checked: a result
// outside -32768..32767 is refused with std::overflow_error instead of wrapping.
class Int16 {
public:
    constexpr Int16() = default;
    constexpr Int16(std::int64_t value) : value_(Guard(value)) {}  // NOLINT: stores go through the guard

    constexpr operator std::int32_t() const { return value_; }  // NOLINT: reads widen freely

    static constexpr std::int16_t Guard(std::int64_t value)
    {
        if (value < -32768 || value > 32767)
            throw std::overflow_error("16-bit result out of range: " + std::to_string(value));
        return static_cast<std::int16_t>(value);
    }

private:
    std::int16_t value_ = 0;
};

// The same guard for the 32-bit whole numbers that take part in that arithmetic.
constexpr std::int32_t Guard32(std::int64_t value)
{
    if (value < INT32_MIN || value > INT32_MAX)
        throw std::overflow_error("32-bit result out of range: " + std::to_string(value));
    return static_cast<std::int32_t>(value);
}

// The two BMP header records, fields in file order. They are filled field by
// field from little-endian bytes (see bitmap_reader.h), never overlaid on a buffer.
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

// One instance for the life of the process; the application owns it and hands
// it to both windows. Everything starts at 0 or empty.
struct SharedState {
    BITMAPFILEHEADER FileHeader;
    BITMAPINFOHEADER InfoHeader;
    // The scan window: inclusive column and row bounds of the block and page being walked.
    std::int32_t ColStart = 0;
    Int16 ColEnd;
    std::int32_t RowStart = 0;
    Int16 RowEnd;
    std::int32_t PageCount = 0;
    Int16 BlockCount;
    std::filesystem::path OutputPath;
};

}  // namespace quillon
