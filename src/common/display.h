// The display: 122 x 32 dots, driven as two blocks of 61 columns (a
// controller each), each block four pages of 8 rows, one byte a column of a
// page with bit 0 at the page's top row. Every size of it is here, and its
// content as one value: the 488 bytes the firmware sends to the LCD, in the
// order it sends them, and the dots they stand for.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quillon {

inline constexpr int DisplayWidth = 122;
inline constexpr int DisplayHeight = 32;
inline constexpr int ColumnBlock = 61;  // columns a block
inline constexpr int Page = 8;          // rows a page
inline constexpr int DisplayBlocks = DisplayWidth / ColumnBlock;
inline constexpr int DisplayPages = DisplayHeight / Page;
inline constexpr std::size_t BlockBytes = std::size_t{ColumnBlock} * DisplayPages;
inline constexpr std::size_t DisplayBytes = BlockBytes * DisplayBlocks;
static_assert(DisplayBlocks * ColumnBlock == DisplayWidth && DisplayPages * Page == DisplayHeight);

// Byte order: block 1 (columns 0-60), then block 2 (columns 61-121); in a block
// page 1 (rows 0-7) to page 4 (rows 24-31); in a page one byte per column from
// left to right, bit 0 the page's top row.
class DisplayImage {
public:
    using Bytes = std::array<std::uint8_t, DisplayBytes>;

    DisplayImage() = default;  // every dot clear
    explicit DisplayImage(const Bytes& bytes) : bytes_(bytes) {}

    const Bytes& bytes() const { return bytes_; }
    std::uint8_t Byte(std::size_t index) const { return bytes_[index]; }
    void SetByte(std::size_t index, std::uint8_t value) { bytes_[index] = value; }

    // Dot (x, y), (0, 0) top-left; x in 0..121, y in 0..31.
    bool Dot(int x, int y) const { return (bytes_[ByteIndex(x, y)] >> (y % 8)) & 1; }
    void SetDot(int x, int y, bool lit);
    // Every dot turned over.
    void Invert();

    // Which byte holds dot (x, y); its bit is y % 8.
    static constexpr std::size_t ByteIndex(int x, int y)
    {
        return static_cast<std::size_t>(x / ColumnBlock) * BlockBytes +
               static_cast<std::size_t>(y / Page * ColumnBlock + x % ColumnBlock);
    }

    friend bool operator==(const DisplayImage&, const DisplayImage&) = default;

private:
    Bytes bytes_{};
};

}  // namespace quillon
