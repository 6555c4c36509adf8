#include "preview/dot_walk.h"

#include "convert/geometry.h"

namespace quillon {

bool WalkComplete(const SharedState& state, const DrawPosition& position)
{
    return position.DrawBlock > state.BlockCount;
}

void DrawBits(SharedState& state, DrawPosition& position, std::string_view bits, DotSurface& surface)
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
                    if (bit == '0')
                        surface.SetDot(position.DrawX, position.DrawRow, ClearDotColour);
                    else if (bit == '1')
                        surface.SetDot(position.DrawX, position.DrawRow, SetDotColour);
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

}  // namespace quillon
