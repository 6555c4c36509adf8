#include "preview/dot_walk.h"

namespace quillon {

void DrawBits(ScanState& state, DrawPosition& position, std::string_view bits, DotSurface& surface)
{
    WalkBits(state, position, bits, surface);
}

}  // namespace quillon
