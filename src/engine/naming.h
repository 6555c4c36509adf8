// The names the tool gives the files it writes, in one place.
#pragma once

#include "engine/identify.h"
#include "formats/formats.h"

#include <filesystem>

namespace quillon {

// Where the output of `input` in `format` goes without --output: beside it. A
// picture's listing keeps the window's name (lcd_ and every ".bmp", in any
// case, made ".txt"), unless the name ends as a picture of another kind's
// (lcd_logo.txt for logo.png, not lcd_logo.png); every other output is
// "lcd_" + the input's stem + the format's extension (lcd_logo.a51).
std::filesystem::path OutputBeside(const std::filesystem::path& input, const Identity& identity,
                                   const Format& format);

// The format to write when --format is not given: the one the output's name
// chooses by its ending (formats/formats.h), else `fallback`.
const Format& FormatFor(const std::filesystem::path& output, const Format& fallback);

}  // namespace quillon
