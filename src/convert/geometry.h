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
void EnterBlock(SharedState& state, std::int64_t block);
void EnterPage(SharedState& state, std::int64_t page);

}  // namespace quillon
