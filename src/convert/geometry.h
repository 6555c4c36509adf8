// How the display is cut up: blocks of 61 columns, pages of 8 rows, one byte per
// column of a page with bit 0 at the page's top row.
#pragma once

#include "common/display.h"
#include "common/guarded.h"
#include "intake/bmp_records.h"

namespace quillon {

// What the writer's and the preview's walks work on: the picture's info
// header (its width and height), the scan window of the block and page being
// walked (inclusive bounds) and the picture's page and block counts.
struct ScanState {
    BITMAPINFOHEADER InfoHeader;
    std::int32_t ColStart = 0;
    Int16 ColEnd;
    std::int32_t RowStart = 0;
    Int16 RowEnd;
    std::int32_t PageCount = 0;
    Int16 BlockCount;
};

// PageCount and BlockCount from the picture's height and width, each rounded up.
void CountPagesAndBlocks(ScanState& state);

// What a conversion of a picture of the display's size leaves for the walks:
// its size and its page and block counts.
ScanState DisplayScanState();

// Point the scan window at block `block` / page `page` (both counted from 1).
inline void EnterBlock(ScanState& state, std::int64_t block)
{
    state.ColStart = Guard32(ColumnBlock * block - ColumnBlock);
    state.ColEnd = std::int64_t{state.ColStart} + ColumnBlock - 1;
}

inline void EnterPage(ScanState& state, std::int64_t page)
{
    state.RowStart = Guard32(Page * page - Page);
    state.RowEnd = std::int64_t{state.RowStart} + Page - 1;
}

}  // namespace quillon
