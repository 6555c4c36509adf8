// Paints decoded listing lines as dots, in the same block, page, column and row
// order the writer took them, carrying its position from one line to the next.
#pragma once

#include "app/shared_state.h"
#include "convert/geometry.h"

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
inline bool WalkComplete(const SharedState& state, const DrawPosition& position)
{
    return position.DrawBlock > state.BlockCount;
}

// Paints `bits` ("0" and "1", 8 a byte, each group's last character on the
// page's top row) from `position` on. Reads BlockCount and PageCount, moves the
// scan window. Stops between columns when the string runs out, and paints
// nothing more once the last block is complete. A character other than "0" or
// "1" leaves its dot unpainted. Stopping only between columns, it paints a
// string in pieces of whole groups of 8 exactly as it paints the string whole.
template <typename Surface>
void WalkBits(SharedState& state, DrawPosition& position, std::string_view bits, Surface& surface)
{
    // The group cursor: the next dot takes character (groupEnd - bitInGroup),
    // counted from 1, so each group of 8 is taken from its last character back.
    std::int64_t groupEnd = 8;
    int bitInGroup = 0;

    for (;;) {
        if (WalkComplete(state, position))
            return;
        EnterBlock(state, position.DrawBlock);
        while (position.DrawPage <= state.PageCount) {
            EnterPage(state, position.DrawPage);
            for (;;) {
                position.DrawRow = state.RowStart;
                if (position.DrawX > state.ColEnd)
                    break;
                while (position.DrawRow <= state.RowEnd) {
                    const std::int64_t at = groupEnd - bitInGroup;
                    if (at > static_cast<std::int64_t>(bits.size()))
                        return;  // this line is used up; the next one goes on from here
                    const char bit = bits[static_cast<std::size_t>(at - 1)];
                    if (bit == '0' || bit == '1')
                        surface.SetDot(position.DrawX, position.DrawRow, bit == '1' ? SetDotColour : ClearDotColour);
                    if (++bitInGroup == 8) {
                        groupEnd += 8;
                        bitInGroup = 0;
                    }
                    position.DrawRow = position.DrawRow + 1;
                }
                position.DrawX = Guard32(std::int64_t{position.DrawX} + 1);
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

// The walk onto any DotSurface.
void DrawBits(SharedState& state, DrawPosition& position, std::string_view bits, DotSurface& surface);

}  // namespace quillon
