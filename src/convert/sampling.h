// A picture sampled pixel by pixel in the display's byte order (see
// geometry.h), counting the progress, into a display image: the walk of the
// window's Convert, and of every exact 1-bit picture the tool takes.
#pragma once

#include "common/display.h"
#include "convert/geometry.h"
#include "intake/bitmap_reader.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>

namespace quillon {

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
}  // namespace detail

// Walks the picture (InfoHeader's size, BlockCount and PageCount as
// CountPagesAndBlocks left them) block by block, page by page, column by
// column, row by row, and returns the display's bytes: a pixel is lit exactly
// when its colour equals `onColour`. Counts the pixels for the progress, which
// passes 1, 2, ... 100 once each. Leaves the scan window on the last block and
// page. `pixel` and `progress` are any callables of the shapes of PixelQuery
// and ProgressShow; an empty std::function shows no progress.
template <typename Pixel, typename Progress = detail::NoProgress>
DisplayImage SampleDisplay(ScanState& state, RgbValue onColour, Pixel&& pixel, Progress&& progress = {})
{
    DisplayImage image;
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

    for (std::int64_t block = 1; block <= state.BlockCount; ++block) {
        EnterBlock(state, block);
        for (std::int64_t page = 1; page <= state.PageCount; ++page) {
            EnterPage(state, page);
            const std::int32_t top = state.RowStart;
            const std::int32_t bottom = state.RowEnd;
            for (std::int32_t x = state.ColStart; x <= state.ColEnd; ++x) {
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
                // The display has its 122 x 32 dots; a larger picture's other
                // pixels are walked and counted, and have no byte.
                if (x < DisplayWidth && bottom < DisplayHeight)
                    image.SetByte(DisplayImage::ByteIndex(x, top), static_cast<std::uint8_t>(byteValue));
            }
        }
    }
    return image;
}

// The dots of an accepted picture as the window converts it: a dot is lit
// where the pixel's colour equals colour-table entry 0's, or entry 1's
// (inverse); the same walk as the window's Convert.
DisplayImage DisplayOf(const MonoPicture& picture, bool inverse);

}  // namespace quillon
