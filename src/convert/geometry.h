// How the display is cut up: blocks of 61 columns, pages of 8 rows, one byte per
// column of a page with bit 0 at the page's top row.
#pragma once

#include "app/shared_state.h"

namespace quillon {

inline constexpr int ColumnBlock = 61;
inline constexpr int Page = 8;

// PageCount and BlockCount from the picture's height and width, each rounded up.
void CountPagesAndBlocks(SharedState& state);

// Point the scan window at block `block` / page `page` (both counted from 1).
inline void EnterBlock(SharedState& state, std::int64_t block)
{
    state.ColStart = Guard32(ColumnBlock * block - ColumnBlock);
    state.ColEnd = std::int64_t{state.ColStart} + ColumnBlock - 1;
}

inline void EnterPage(SharedState& state, std::int64_t page)
{
    state.RowStart = Guard32(Page * page - Page);
    state.RowEnd = std::int64_t{state.RowStart} + Page - 1;
}

}  // namespace quillon
