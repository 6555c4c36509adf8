// Paints decoded listing lines as dots, in the same block, page, column and row
// order the writer took them, carrying its position from one line to the next.
#pragma once

#include "app/shared_state.h"

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

// Paints `bits` ("0" and "1", 8 a byte, each group's last character on the
// page's top row) from `position` on. Reads BlockCount and PageCount, moves the
// scan window. Stops between columns when the string runs out, and paints
// nothing more once the last block is complete. A character other than "0" or
// "1" leaves its dot unpainted.
void DrawBits(SharedState& state, DrawPosition& position, std::string_view bits, DotSurface& surface);

// True once every block has been painted: further lines change nothing.
bool WalkComplete(const SharedState& state, const DrawPosition& position);

}  // namespace quillon
