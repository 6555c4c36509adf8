// A font's glyphs in the display's byte layout, and text drawn with them.
//
// `text` draws from a GlyphTable made for the characters of its text, `font`
// writes one out for firmware (Bytes), and examples/font/ draws from those
// bytes in C89 exactly as Draw does here, so the two give the same dots.
//
// The bytes (multi-byte numbers little-endian, signed ones two's complement):
//   0-1  first code        2-3  last code
//   4    cell height in rows, a multiple of 8 (the glyphs' pages)
//   5    baseline: the cell rows above the baseline
//   6    ascent: the rows of a line above its baseline
//   7    line height: rows from one line's top to the next one's
//   8-9  kerning pairs
//   10   glyph records, last - first + 2 of 5 bytes: width (columns), left
//        (signed: the first column from the pen), advance, offset (2 bytes: of
//        its bitmap from the table's start). Record k is code first + k; the
//        last record is the default glyph, drawn for a code outside first..last.
//        A code the font lacks has the default glyph's record (width and
//        advance 0 when the font has none).
//   then the kerning pairs, sorted, 5 bytes each: left code (2), right code (2),
//        the pen's move (signed) before the right one when it follows the left one.
//   then the bitmaps: per glyph height / 8 pages, each `width` bytes, one a
//        column from left to right, bit 0 the page's top row, 1 a lit dot.
// Drawing line L of text at (X, Y): the cell's row 0 is at row
// Y + L * line height + ascent - baseline; the pen starts at X, moves by the
// kerning pair's value before a glyph and by its advance after it; a glyph's
// column c is at pen + left + c. A line is not drawn past the pen's column
// PenStop (nothing there reaches the display).
#pragma once

#include "common/display.h"
#include "common/result.h"
#include "text/font.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon::text {

inline constexpr int PenStop = 378;
inline constexpr std::size_t TableHeaderBytes = 10;
inline constexpr std::size_t TableRecordBytes = 5;
inline constexpr std::size_t TablePairBytes = 5;

struct TableGlyph {
    int width = 0;
    int left = 0;
    int advance = 0;
    std::vector<std::uint8_t> bytes;  // pages * width, page by page
};

struct GlyphTable {
    int height = 0;  // cell rows, a multiple of 8
    int baseline = 0;
    int ascent = 0;
    int lineHeight = 0;
    std::vector<TableGlyph> glyphs;
    std::map<char32_t, std::size_t> index;  // code -> glyph
    TableGlyph defaultGlyph;                // width and advance 0 when the font has none
    std::map<std::pair<char32_t, char32_t>, int> kerning;

    const TableGlyph& GlyphOf(char32_t code) const;
    int Kerning(char32_t left, char32_t right) const;
};

// The font's glyphs in cells of whole pages; fails when a number does not fit
// its byte (a glyph wider than 255 columns, say).
Result<GlyphTable> MakeTable(const Font& font);

// The table's bytes for codes first..last (each at most 0xFFFF); fails past
// 65535 bytes, which 16-bit offsets cannot reach.
Result<std::vector<std::uint8_t>> TableBytes(const GlyphTable& table, char32_t first, char32_t last);

// Text as drawn: the code points of UTF-8 text, with "\n" (backslash, n) and a
// line feed as NewLine and "\\" as one backslash; nothing when it is not UTF-8.
inline constexpr char32_t NewLine = U'\n';
std::optional<std::u32string> TextCodes(std::string_view utf8);

// Calls `dot` for every lit dot of the text drawn with its first line's top at
// row y and pen origin at column x, wherever it falls, each line `pitch` rows
// below the one before (0: the font's line height). `stop`: no glyph is drawn
// with the pen at or past it.
void Trace(const GlyphTable& table, std::u32string_view codes, int x, int y,
           const std::function<void(int x, int y)>& dot, int stop = PenStop, int pitch = 0);

// The text drawn into `image` (OR) at (x, y) as Trace draws it, cut at the
// display's edges: as examples/font draws it from the table.
void Draw(const GlyphTable& table, std::u32string_view codes, int x, int y, DisplayImage& image);

enum class Align { None, Start, Middle, End };
// The words of quillon-cli text's --align and --valign, in the order of Align
// from Start.
inline constexpr std::array<std::string_view, 3> AlignNames = {"left", "center", "right"};
inline constexpr std::array<std::string_view, 3> VerticalAlignNames = {"top", "middle", "bottom"};
// The Align of either's word; None for any other.
inline Align AlignNamed(std::string_view word)
{
    for (std::size_t k = 0; k < AlignNames.size(); ++k) {
        if (word == AlignNames[k] || word == VerticalAlignNames[k])
            return static_cast<Align>(k + 1);
    }
    return Align::None;
}
struct Placement {
    int x = 0;
    int y = 0;
    Align horizontal = Align::None;  // left, center, right: each line's lit dots on their own
    Align vertical = Align::None;    // top, middle, bottom: the whole text's lit dots
    int lineSpacing = 0;             // rows added to (or, negative, taken from) the line height
};
// Which of the display's edges cut the text's dots off, and the first line
// they cut (from 1; 0 when none does).
struct Drawn {
    bool left = false, right = false, top = false, bottom = false;
    int firstCutLine = 0;
};
// The text drawn into `image` (OR) at the placement: each line at x, or, when
// aligned, its lit dots at the display's edge or middle; the lines at y, or
// their lit dots together at the top, middle or bottom.
Drawn DrawText(const GlyphTable& table, std::u32string_view codes, const Placement& placement, DisplayImage& image);

// What is said of text drawn, after the place it is said of: "is cut off at
// the display's right edge (from line 2)", or nothing when nothing is cut.
std::string CutOffNote(const Drawn& drawn);
// What is said of a character a font lacks: "has no glyph for U+20AC '€'; it
// is left out".
std::string MissingNote(const Font& font, char32_t code);

// "32-126,0xB0": codes and ranges of codes, each 0 to 0xFFFF; nothing when
// the list is not one.
std::optional<std::set<char32_t>> CodesOf(std::string_view list);

}  // namespace quillon::text
