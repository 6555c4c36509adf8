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

void CountPagesAndBlocks(ScanState& state)
{
    state.PageCount = Guard32(CoveringCount(state.InfoHeader.biHeight, Page));
    state.BlockCount = CoveringCount(state.InfoHeader.biWidth, ColumnBlock);
}

ScanState DisplayScanState()
{
    ScanState state;
    state.InfoHeader.biWidth = DisplayWidth;
    state.InfoHeader.biHeight = DisplayHeight;
    state.InfoHeader.biBitCount = 1;
    CountPagesAndBlocks(state);
    return state;
}

}  // namespace quillon
