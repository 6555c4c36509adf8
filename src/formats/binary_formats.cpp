// The binary formats: the bare 488 bytes, and a 1-bit BMP picture of the dots.
#include "convert/sampling.h"
#include "formats/formats.h"
#include "intake/bitmap_reader.h"

namespace quillon {

bool ToldBin(std::string_view bytes);
std::string WriteBin(std::span<const std::uint8_t> bytes, const WriteOptions&);
Result<std::vector<std::uint8_t>> ParseBin(std::string_view bytes, std::size_t count);
std::string WriteBmp(std::span<const std::uint8_t> bytes, const WriteOptions&);
Result<std::vector<std::uint8_t>> ParseBmp(std::string_view bytes, std::size_t count);

namespace {

// A 1-bit row of 122 pixels takes 16 bytes, already a whole number of 4-byte words.
constexpr std::uint32_t RowBytes = 16;
constexpr std::uint32_t PixelsAt = 14 + 40 + 2 * 4;
constexpr std::uint32_t FileBytes = PixelsAt + RowBytes * DisplayHeight;

void Put16(std::string& out, std::uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutColour(std::string& out, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    out += static_cast<char>(blue);
    out += static_cast<char>(green);
    out += static_cast<char>(red);
    out += '\0';
}

}  // namespace

bool ToldBin(std::string_view bytes)
{
    return bytes.size() == DisplayBytes ||
           IsAnimation(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::string WriteBin(std::span<const std::uint8_t> bytes, const WriteOptions&)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

Result<std::vector<std::uint8_t>> ParseBin(std::string_view bytes, std::size_t count)
{
    if (count != 0 && bytes.size() != count)
        return Failure{"The file has " + std::to_string(bytes.size()) + " bytes; the display takes exactly " +
                       std::to_string(count) + "."};
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

// Lit dots are colour-table entry 0, black, the colour the window lights by
// default; the others entry 1, white.
std::string WriteBmp(std::span<const std::uint8_t> bytes, const WriteOptions&)
{
    const DisplayImage image = ImageOf(bytes, ByteOrder::Display);
    std::string out;
    out += "BM";
    Put32(out, FileBytes);
    Put32(out, 0);
    Put32(out, PixelsAt);
    Put32(out, 40);
    Put32(out, DisplayWidth);
    Put32(out, DisplayHeight);  // positive: bottom row first
    Put16(out, 1);
    Put16(out, 1);
    Put32(out, 0);
    Put32(out, RowBytes * DisplayHeight);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 2);
    Put32(out, 2);
    PutColour(out, 0, 0, 0);
    PutColour(out, 255, 255, 255);
    for (int y = DisplayHeight - 1; y >= 0; --y) {
        std::string row(RowBytes, '\0');
        for (int x = 0; x < DisplayWidth; ++x) {
            if (!image.Dot(x, y))
                row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        }
        out += row;
    }
    return out;
}

ReadResult ReadPictureImage(std::string_view bytes, bool inverse)
{
    const PictureRead read =
        ReadPicture(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), std::min(bytes.size(), ReadLimit)));
    switch (read.outcome) {
        case PictureRead::Outcome::Unreadable:
            return Failure{read.problem};
        case PictureRead::Outcome::Rejected:
            return Failure{SizeErrorPrompt()};
        case PictureRead::Outcome::Accepted:
            break;
    }
    return DisplayOf(read.picture, inverse);
}

Result<std::vector<std::uint8_t>> ParseBmp(std::string_view bytes, std::size_t)
{
    const ReadResult image = ReadPictureImage(bytes, false);
    if (!image)
        return Failure{image.Error()};
    return BytesOf(*image, ByteOrder::Display);
}

}  // namespace quillon
