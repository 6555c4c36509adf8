// A glyph table's bytes written for firmware, in the style of the display
// image's formats: a C array, DB / .db lines, or the bytes alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::text {

// The formats a glyph table is written in, as given to `font -f`.
inline constexpr std::string_view TableFormats[] = {"c", "a51", "as31", "sdas", "bin"};

struct TableText {
    std::string label;        // the C array's name, the assembler label
    std::string description;  // one line naming the font and size, for the comment
};

// The file for `format` (one of TableFormats); text formats end lines in CR LF.
std::string WriteGlyphTable(const std::vector<std::uint8_t>& table, std::string_view format, const TableText& text);

}  // namespace quillon::text
