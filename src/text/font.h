// Fonts as the text renderer takes them: the glyphs of the characters asked
// for, each a bitmap placed against the pen and the baseline, from the built-in
// font, a BDF file (our own reader) or any font FreeType reads.
#pragma once

#include "common/result.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon::text {

// Pixel sizes a scalable font is drawn at; past this the glyphs could not be
// held in a glyph table (bytes for widths and offsets).
inline constexpr int MaxPixelSize = 128;
// A font file is read whole up to this; a larger one is refused.
inline constexpr std::size_t FontReadLimit = 64 * 1024 * 1024;
// The dots all glyphs asked for may hold together (a byte each): a text of
// thousands of different characters in a huge font is refused, not held.
inline constexpr std::size_t MaxFontDots = 32 * 1024 * 1024;
// The memory FreeType may take for one font (its tables, a gzip stream, a glyph).
inline constexpr std::size_t FreeTypeMemoryLimit = 96 * 1024 * 1024;

struct Glyph {
    int width = 0;                   // bitmap columns
    int height = 0;                  // bitmap rows
    int left = 0;                    // the bitmap's first column, from the pen
    int top = 0;                     // the bitmap's first row, in rows above the baseline
    int advance = 0;                 // how far the pen moves after it
    std::vector<std::uint8_t> dots;  // width * height, row by row, 1 lit
    bool Dot(int x, int y) const { return dots[static_cast<std::size_t>(y * width + x)] != 0; }
};

struct Font {
    std::string kind;                  // "built-in", "BDF", "PCF", "TrueType", ... for messages
    int ascent = 0;                    // rows above the baseline a line takes
    int lineHeight = 0;                // rows from one line's top to the next one's
    std::map<char32_t, Glyph> glyphs;  // the characters asked for that the font has
    bool hasDefault = false;           // the glyph drawn for a character it lacks
    Glyph defaultGlyph;
    std::set<char32_t> missing;  // characters asked for that it lacks
    // Pen moves, in whole dots, between two characters asked for (non-zero only).
    std::map<std::pair<char32_t, char32_t>, int> kerning;
};

// What is asked of a font: the characters, and the pixel size (0: none given).
struct FontRequest {
    std::set<char32_t> codes;
    int size = 0;
};

// The built-in font: Latin-1 (U+0020-U+007E and U+00A0-U+00FF), 5 x 7 dots
// in a 6 x 8 cell, 8 px.
Result<Font> BuiltInFont(const FontRequest& request);
inline constexpr int BuiltInSize = 8;

// A BDF font from its text; memory bounded by the characters asked for.
Result<Font> ReadBdf(std::string_view bytes, const FontRequest& request);

// A font file's bytes, BDF by its first word, anything else through FreeType.
Result<Font> ReadFont(std::string_view bytes, const FontRequest& request);

// Whether this build reads fonts through FreeType (PCF, TrueType, OpenType).
bool HaveFreeType();
Result<Font> ReadFreeTypeFont(std::string_view bytes, const FontRequest& request);

// Whether a --font argument names a font ("DejaVu Sans", "monospace:bold")
// rather than a file: no folder in it and no font file's extension.
bool LooksLikeFontName(std::string_view argument);
// The file of the installed font called `name` (fontconfig's syntax: family,
// then ":style" and other properties), or why there is none. A family name must
// be the font's own; a generic one (monospace, sans-serif, serif) takes the
// system's choice.
Result<std::string> FontFileNamed(std::string_view name);

// "U+00B0 '°'" for messages.
std::string CharacterName(char32_t code);
// A code point as UTF-8.
std::string Utf8(char32_t code);

}  // namespace quillon::text
