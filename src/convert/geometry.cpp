#include "convert/geometry.h"

#include <cmath>

namespace quillon {

namespace {

// Whole part of the quotient, plus one when a fraction remains.
std::int64_t CoveringCount(std::int32_t length, int unit)
{
    const double quotient = static_cast<double>(length) / unit;
    const double whole = std::trunc(quotient);
    return static_cast<std::int64_t>(whole) + (quotient != whole ? 1 : 0);
}

}  // namespace

void CountPagesAndBlocks(SharedState& state)
{
    state.PageCount = Guard32(CoveringCount(state.InfoHeader.biHeight, Page));
    state.BlockCount = CoveringCount(state.InfoHeader.biWidth, ColumnBlock);
}

void EnterBlock(SharedState& state, std::int64_t block)
{
    state.ColStart = Guard32(ColumnBlock * block - ColumnBlock);
    state.ColEnd = std::int64_t{state.ColStart} + ColumnBlock - 1;
}

void EnterPage(SharedState& state, std::int64_t page)
{
    state.RowStart = Guard32(Page * page - Page);
    state.RowEnd = std::int64_t{state.RowStart} + Page - 1;
}

}  // namespace quillon
