// Paints decoded listing lines as dots, in the same block, page, column and row
// order the writer took them, carrying its position from one line to the next.
#pragma once

#include "convert/geometry.h"

#include <cstddef>
#include <string_view>

namespace quillon {

inline constexpr RgbValue ClearDotColour = Rgb(0, 128, 0);  // a "0" bit
inline constexpr RgbValue SetDotColour = Rgb(0, 0, 0);      // a "1" bit

// Where dots are painted: one pixel per dot, (0, 0) at the top-left.
class DotSurface {
public:
    virtual ~DotSurface() = default;
    virtual void Erase() = 0;
    virtual void SetDot(int x, int y, RgbValue colour) = 0;
};

// The next dot to paint; lives with the preview window.
struct DrawPosition {
    std::int32_t DrawX = 0;
    Int16 DrawRow = 0;
    std::int32_t DrawPage = 1;
    Int16 DrawBlock = 1;
};

// True once every block has been painted: further lines change nothing.
inline bool WalkComplete(const ScanState& state, const DrawPosition& position)
{
    return position.DrawBlock > state.BlockCount;
}

namespace detail {
// The walk, one column of 8 dots at a time: `paint(group, x, topRow)` paints
// group `group` (from 0) of the `groups` whole groups there are. Keeps the
// column and row in locals while painting, since every dot stored through the
// surface could otherwise be the position's own fields to the compiler.
template <typename PaintColumn>
void WalkColumns(ScanState& state, DrawPosition& position, std::size_t groups, PaintColumn&& paint)
{
    std::size_t group = 0;
    for (;;) {
        if (WalkComplete(state, position))
            return;
        EnterBlock(state, position.DrawBlock);
        while (position.DrawPage <= state.PageCount) {
            EnterPage(state, position.DrawPage);
            const std::int32_t top = state.RowStart;
            const std::int32_t lastColumn = state.ColEnd;
            // A page's rows end at most at 32767; the row counter then passes it.
            const bool rowCountOverflows = top + Page > 32767;
            position.DrawRow = top;
            for (std::int32_t x = position.DrawX; x <= lastColumn; ++x) {
                if (group == groups) {
                    position.DrawX = x;
                    return;  // this line is used up; the next one goes on from here
                }
                paint(group++, x, top);
                if (rowCountOverflows) {
                    position.DrawX = x;
                    position.DrawRow = std::int64_t{top} + Page;  // refused, as counting row by row was
                }
            }
            // Page done: back to the block's first column, one page down.
            position.DrawX = state.ColStart;
            position.DrawPage = Guard32(std::int64_t{position.DrawPage} + 1);
        }
        // Block done: first page of the next block.
        position.DrawPage = 1;
        position.DrawBlock = position.DrawBlock + 1;
        EnterBlock(state, position.DrawBlock);
        position.DrawX = state.ColStart;
    }
}
}  // namespace detail

// Paints `bits` ("0" and "1", 8 a byte, each group's last character on the
// page's top row) from `position` on. Reads BlockCount and PageCount, moves the
// scan window. Stops between columns when the string runs out, and paints
// nothing more once the last block is complete. A character other than "0" or
// "1" leaves its dot unpainted. Stopping only between columns, it paints a
// string in pieces of whole groups of 8 exactly as it paints the string whole.
template <typename Surface>
void WalkBits(ScanState& state, DrawPosition& position, std::string_view bits, Surface& surface)
{
    detail::WalkColumns(state, position, bits.size() / Page, [&](std::size_t group, std::int32_t x, std::int32_t top) {
        const char* const topBit = bits.data() + group * Page + Page - 1;
        for (int row = 0; row < Page; ++row) {
            const char bit = topBit[-row];
            if (bit == '0' || bit == '1')
                surface.SetDot(x, top + row, bit == '1' ? SetDotColour : ClearDotColour);
        }
    });
}

// The same walk for bits already packed into bytes, bit 0 on the page's top
// row: what WalkBits paints for each byte's 8 binary digits.
template <typename Surface, typename ByteAt>
void WalkBytes(ScanState& state, DrawPosition& position, std::size_t count, ByteAt&& byteAt, Surface& surface)
{
    detail::WalkColumns(state, position, count, [&](std::size_t group, std::int32_t x, std::int32_t top) {
        // Asked which bits are clear, the compiler turns a "0" bit's colour
        // straight into a shifted bit.
        const unsigned clear = ~static_cast<unsigned>(byteAt(group));
        for (int row = 0; row < Page; ++row)
            surface.SetDot(x, top + row, (clear >> row) & 1 ? ClearDotColour : SetDotColour);
    });
}

// The walk onto any DotSurface.
void DrawBits(ScanState& state, DrawPosition& position, std::string_view bits, DotSurface& surface);

}  // namespace quillon
