// Turns a picture into the listing of assembler data lines that the display's
// firmware includes:
//
//         DB 01H,80H,FFH,00H,00H,00H,00H,00H;
//
// Eight items a line, bytes in block, page, column order (see geometry.h); the
// item count restarts at each block, whose last line takes the rest, and one
// empty line stands between blocks. Every line ends with CR LF.
#pragma once

#include "app/shared_state.h"
#include "convert/geometry.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>

namespace quillon {

inline constexpr const char* ListingPrefix = "        DB ";
inline constexpr std::size_t ListingPrefixLength = 11;

// Colour value of pixel (x, y) of the picture as displayed, (0, 0) top-left.
using PixelQuery = std::function<RgbValue(int x, int y)>;
// Called with 1, 2, ... 100 as the walk passes each whole per cent.
using ProgressShow = std::function<void(int percent)>;

// Nearest whole number, a half going to the even neighbour (39.5 -> 40, 38.5 -> 38).
std::int64_t RoundHalfEven(double value);

namespace detail {
struct NoProgress {
    void operator()(int) const {}
};
// Each byte's item as written: two upper-case hexadecimal digits, "H,".
struct HexItemTable {
    char items[256][4];
};
constexpr HexItemTable MakeHexItems()
{
    constexpr char Digits[] = "0123456789ABCDEF";
    HexItemTable table{};
    for (int value = 0; value < 256; ++value) {
        table.items[value][0] = Digits[value / 16];
        table.items[value][1] = Digits[value % 16];
        table.items[value][2] = 'H';
        table.items[value][3] = ',';
    }
    return table;
}
inline constexpr HexItemTable HexItems = MakeHexItems();
}  // namespace detail

// Walks the picture (InfoHeader's size, BlockCount and PageCount as
// CountPagesAndBlocks left them) and returns the listing text. A pixel is lit
// exactly when its colour equals `onColour`. Leaves the scan window on the last
// block and page. `pixel` and `progress` are any callables of the shapes of
// PixelQuery and ProgressShow; an empty std::function shows no progress.
template <typename Pixel, typename Progress = detail::NoProgress>
std::string WriteListing(SharedState& state, RgbValue onColour, Pixel&& pixel, Progress&& progress = {})
{
    constexpr const char* LineEnd = "\r\n";
    std::string listing;
    listing.reserve(4096);  // an accepted picture's listing has 2,760 bytes
    std::int32_t pixelCount = 0;
    Int16 progressValue = 0;

    const std::int32_t pixelTotal = Guard32(std::int64_t{state.InfoHeader.biWidth} * state.InfoHeader.biHeight);
    const std::int64_t wholeStep = RoundHalfEven(pixelTotal / 100.0);
    // Counts down to the next whole step, instead of dividing at every pixel.
    // A step below one pixel (a picture under 50 pixels) never counts.
    std::int64_t untilStep = wholeStep > 0 ? wholeStep : INT64_MAX;
    bool showProgress = true;
    if constexpr (std::is_constructible_v<bool, Progress>)
        showProgress = static_cast<bool>(progress);

    // A line's bytes wait in a register and its text is written once the line
    // is full: no store into memory at each column.
    std::uint64_t lineBytes = 0;  // the first item in the low byte
    int itemCount = 0;
    char line[64];
    std::memcpy(line, ListingPrefix, ListingPrefixLength);
    const auto endLine = [&listing, &line](std::uint64_t bytes, int count) {
        char* item = line + ListingPrefixLength;
        for (int k = 0; k < count; ++k, item += 4, bytes >>= 8)
            std::memcpy(item, detail::HexItems.items[bytes & 0xFF], 4);  // "XXH,"
        item[-1] = ';';
        std::memcpy(item, LineEnd, 2);
        listing.append(line, static_cast<std::size_t>(item + 2 - line));
    };

    for (std::int64_t block = 1; block <= state.BlockCount; ++block) {
        if (block != 1)
            listing += LineEnd;
        EnterBlock(state, block);
        for (std::int64_t page = 1; page <= state.PageCount; ++page) {
            EnterPage(state, page);
            const std::int32_t firstColumn = state.ColStart;
            const std::int32_t lastColumn = state.ColEnd;
            const std::int32_t top = state.RowStart;
            const std::int32_t bottom = state.RowEnd;
            for (std::int32_t x = firstColumn; x <= lastColumn; ++x) {
                int byteValue = 0;
                // A column is counted pixel by pixel only where its 8 rows hold a
                // progress step or could pass the 32-bit pixel count.
                if (untilStep > Page && pixelCount <= INT32_MAX - Page) {
                    // EnterPage makes every page 8 rows: a fixed count the compiler unrolls.
                    for (int row = 0; row < Page; ++row)
                        byteValue |= pixel(x, top + row) == onColour ? 1 << row : 0;
                    pixelCount += Page;
                    untilStep -= Page;
                } else {
                    for (std::int32_t y = top, bit = 1; y <= bottom; ++y, bit <<= 1) {
                        pixelCount = Guard32(std::int64_t{pixelCount} + 1);
                        if (pixel(x, y) == onColour)
                            byteValue += bit;
                        if (--untilStep == 0) {
                            untilStep = wholeStep;
                            if (progressValue < 100) {
                                progressValue = progressValue + 1;
                                if (showProgress)
                                    progress(static_cast<int>(progressValue));
                            }
                        }
                    }
                }
                // A page has 8 rows, so a byte never exceeds FFH.
                lineBytes |= static_cast<std::uint64_t>(byteValue) << (8 * itemCount);
                if (++itemCount == 8) {
                    endLine(lineBytes, itemCount);
                    lineBytes = 0;
                    itemCount = 0;
                }
            }
        }
        if (itemCount > 0) {  // the block's last line takes the rest
            endLine(lineBytes, itemCount);
            lineBytes = 0;
            itemCount = 0;
        }
    }
    return listing;
}

}  // namespace quillon
