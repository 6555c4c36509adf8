// Dots that change over time (the glass of a running firmware) as an animated
// GIF picture, painted as the preview window paints them, to watch.
#pragma once

#include "common/result.h"
#include "preview/dots_png.h"

#include <span>
#include <string>

namespace quillon {

struct DotsFrame {
    DotPaints dots;
    int centiseconds = 0;  // how long it shows: a GIF's unit, up to 65535
};

// The GIF file's bytes, looping for ever: `scale` (1 to MaxDotScale) pixels a
// dot each way, an unpainted dot transparent.
Result<std::string> DotsGif(std::span<const DotsFrame> frames, int scale);

}  // namespace quillon
