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

#include <functional>
#include <string>
#include <type_traits>

namespace quillon {

inline constexpr const char* ListingPrefix = "        DB ";

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
// The two hexadecimal digits of each byte, upper case.
struct HexPairTable {
    char pairs[256][2];
};
constexpr HexPairTable MakeHexPairs()
{
    constexpr char Digits[] = "0123456789ABCDEF";
    HexPairTable table{};
    for (int value = 0; value < 256; ++value) {
        table.pairs[value][0] = Digits[value / 16];
        table.pairs[value][1] = Digits[value % 16];
    }
    return table;
}
inline constexpr HexPairTable HexPairs = MakeHexPairs();
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
    Int16 itemCount = 0;
    std::int32_t pixelCount = 0;
    Int16 progressValue = 0;
    bool pending = false;  // the current line has items and no end yet

    const std::int32_t pixelTotal = Guard32(std::int64_t{state.InfoHeader.biWidth} * state.InfoHeader.biHeight);
    const std::int64_t wholeStep = RoundHalfEven(pixelTotal / 100.0);
    // Counts down to the next whole step, instead of dividing at every pixel.
    std::int64_t untilStep = wholeStep;
    bool showProgress = true;
    if constexpr (std::is_constructible_v<bool, Progress>)
        showProgress = static_cast<bool>(progress);

    for (std::int64_t block = 1; block <= state.BlockCount; ++block) {
        if (block != 1)
            listing += LineEnd;
        EnterBlock(state, block);
        for (std::int64_t page = 1; page <= state.PageCount; ++page) {
            EnterPage(state, page);
            for (std::int32_t x = state.ColStart; x <= state.ColEnd; ++x) {
                int byteValue = 0;
                int bit = 1;
                for (std::int32_t y = state.RowStart; y <= state.RowEnd; ++y, bit <<= 1) {
                    pixelCount = Guard32(std::int64_t{pixelCount} + 1);
                    if (pixel(x, y) == onColour)
                        byteValue += bit;
                    // A step below one pixel (a picture under 50 pixels) never counts.
                    if (wholeStep > 0 && --untilStep == 0) {
                        untilStep = wholeStep;
                        if (progressValue < 100) {
                            progressValue = progressValue + 1;
                            if (showProgress)
                                progress(static_cast<int>(progressValue));
                        }
                    }
                }
                // A page has 8 rows, so a byte never exceeds FFH.
                if (!pending)
                    listing += ListingPrefix;
                listing.append(detail::HexPairs.pairs[byteValue], 2);
                itemCount = itemCount + 1;
                if (itemCount == 8) {
                    listing += "H;";
                    listing += LineEnd;
                    itemCount = 0;
                    pending = false;
                } else {
                    listing += "H,";
                    pending = true;
                }
            }
        }
        if (pending) {
            listing.back() = ';';  // the last item's ","
            listing += LineEnd;
            itemCount = 0;
            pending = false;
        }
    }
    return listing;
}

}  // namespace quillon
