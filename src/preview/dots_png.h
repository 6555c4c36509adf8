// The dots as the preview window paints them, written as a PNG picture for
// documentation and reviews.
#pragma once

#include "common/result.h"
#include "common/display.h"

#include <array>
#include <cstdint>
#include <string>

namespace quillon {

// What the window paints at a dot: nothing (a dot no line reached), the clear
// colour or the set colour (ClearDotColour and SetDotColour in dot_walk.h).
enum class DotPaint : std::uint8_t { Unpainted, Clear, Set };
using DotPaints = std::array<DotPaint, DisplayWidth * DisplayHeight>;  // row by row from the top-left

inline constexpr int MaxDotScale = 16;

// The PNG file's bytes: `scale` (1 to MaxDotScale) pixels a dot each way, an
// unpainted dot transparent.
Result<std::string> DotsPng(const DotPaints& dots, int scale);

}  // namespace quillon
