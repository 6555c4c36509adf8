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

#include <QString>

#include <functional>
#include <string>

namespace quillon {

inline constexpr const char* ListingPrefix = "        DB ";

// Colour value of pixel (x, y) of the picture as displayed, (0, 0) top-left.
using PixelQuery = std::function<RgbValue(int x, int y)>;
// Called with 1, 2, ... 100 as the walk passes each whole per cent.
using ProgressShow = std::function<void(int percent)>;

// Nearest whole number, a half going to the even neighbour (39.5 -> 40, 38.5 -> 38).
std::int64_t RoundHalfEven(double value);

// Walks the picture (InfoHeader's size, BlockCount and PageCount as
// CountPagesAndBlocks left them) and returns the listing text. A pixel is lit
// exactly when its colour equals `onColour`. Leaves the scan window on the last
// block and page.
std::string WriteListing(SharedState& state, RgbValue onColour, const PixelQuery& pixel, const ProgressShow& progress);

// Replaces the file at `path` with `listing` only once it is completely written;
// on failure the earlier file is untouched and no temporary file remains.
// Returns an empty string on success, otherwise the reason.
QString SaveListing(const QString& path, const std::string& listing);

}  // namespace quillon
