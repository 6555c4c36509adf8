// Dots shown as preview shows them, for the commands that show dots (preview,
// glass): a row of characters each, printed, or written as a PNG picture.
#pragma once

#include "cli/command.h"
#include "common/display.h"
#include "preview/dots_png.h"

#include <array>
#include <string>

namespace quillon::cli {

constexpr char SetChar = '#';    // a "1" bit, black in the window
constexpr char ClearChar = '.';  // a "0" bit, green in the window
constexpr char BlankChar = ' ';  // a dot never painted

using DotRows = std::array<std::string, DisplayHeight>;
DotRows RowsOf(const DisplayImage& image);
DotRows RowsOf(const DotPaints& paints);

// The rows printed, or written to `png` (- for standard output) as a PNG
// picture of `scale` pixels a dot when it is not empty; then the exit code,
// BadFile when not complete (dots or lines lost: no picture is written then).
ExitCode ShowDots(const DotRows& rows, const std::string& png, int scale, bool complete);

}  // namespace quillon::cli
