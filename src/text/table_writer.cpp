// The glyph table in a file: one line for the header, one for each glyph
// record and kerning pair (with the character it is for), then the bitmaps,
// eight items a line, as the display image's formats write theirs.
#include "text/table_writer.h"

#include "formats/text_tools.h"
#include "text/glyph_table.h"

#include <span>

namespace quillon::text {

namespace {

constexpr std::string_view Indent = "        ";

constexpr std::string_view Layout[] = {
    "Bytes (numbers of two bytes low byte first; signed ones two's complement):",
    "  0-1 first code, 2-3 last code, 4 cell height in rows (whole pages of 8),",
    "  5 baseline (cell rows above it), 6 ascent (rows of a line above its",
    "  baseline), 7 line height, 8-9 count of kerning pairs;",
    "  from 10, last - first + 2 glyph records of 5 bytes: width, left (signed),",
    "  advance, offset of the bitmap from the table's start (2 bytes); record k",
    "  is code first + k, the last one the default glyph, drawn for codes outside",
    "  first..last (a code the font lacks has the default glyph's record);",
    "  then the kerning pairs, 5 bytes each, sorted: left code (2), right code",
    "  (2), the pen's move (signed) before the right one after the left one;",
    "  then the bitmaps: height / 8 pages of `width` bytes, one a column, left to",
    "  right, bit 0 the page's top row, 1 a lit dot.",
    "Text line L drawn at (X, Y): cell row 0 at row Y + L * line height + ascent",
    "- baseline; the pen starts at X, moves by the pair's value before a glyph",
    "and by the advance after it; glyph column c at pen + left + c; nothing more",
    "is drawn on a line once the pen is at column 378 or past it.",
    "examples/font/ in Quillon draws text from this table in C89.",
};

struct Style {
    std::string_view directive;  // "DB", ".db"; empty for C
    std::string (*item)(std::uint8_t);
    std::string_view commentStart, commentEnd;
};

Style StyleOf(std::string_view format)
{
    if (format == "a51")
        return {"DB", DigitFirstItem, "; ", ""};
    if (format == "as31")
        return {".db", DigitFirstItem, "; ", ""};
    if (format == "sdas")
        return {".db", CItem, "; ", ""};
    return {"", CItem, "/* ", " */"};
}

unsigned Word(const std::vector<std::uint8_t>& table, std::size_t at)
{
    return table[at] | static_cast<unsigned>(table[at + 1]) << 8;
}

// "U+0041 A" or "U+00B0": ASCII only, safe inside any comment.
std::string AsciiName(unsigned code)
{
    const std::string name = CharacterName(code);
    const std::string_view hex = std::string_view(name).substr(0, 6);
    return code > 0x20 && code < 0x7F ? std::string(hex) + " " + static_cast<char>(code) : std::string(hex);
}

}  // namespace

std::string WriteGlyphTable(const std::vector<std::uint8_t>& table, std::string_view format, const TableText& text)
{
    if (format == "bin")
        return {reinterpret_cast<const char*>(table.data()), table.size()};
    const Style style = StyleOf(format);
    const bool c = style.directive.empty();
    std::string out;
    const auto comment = [&](std::string_view line) {
        out.append(style.commentStart).append(line).append(style.commentEnd).append(LineEnd);
    };
    // Items from `at` on, one line; in C every item has its comma (C89 allows the last one).
    const auto items = [&](std::size_t at, std::size_t count, std::string_view note) {
        const std::span<const std::uint8_t> run(table.data() + at, count);
        out += Indent;
        if (c)
            out += Joined(run, ", ", style.item) + ",";
        else
            out += std::string(style.directive) + " " + Joined(run, ",", style.item);
        if (!note.empty())
            out.append(" ").append(style.commentStart).append(note).append(style.commentEnd);
        out += LineEnd;
    };

    if (c) {
        out += "/* " + text.description + LineEnd.data();
        for (const std::string_view line : Layout)
            out.append(" * ").append(line).append(LineEnd);
        out += " */" + std::string(LineEnd);
        out += "const unsigned char " + text.label + "[" + std::to_string(table.size()) + "] = {" + LineEnd.data();
    } else {
        comment(text.description);
        for (const std::string_view line : Layout)
            comment(line);
        out += text.label + ":" + std::string(LineEnd);
    }
    const unsigned first = Word(table, 0), last = Word(table, 2), pairs = Word(table, 8);
    items(0, TableHeaderBytes, "first, last, height, baseline, ascent, line height, kerning pairs");
    std::size_t at = TableHeaderBytes;
    for (unsigned code = first; code <= last + 1; ++code, at += TableRecordBytes)
        items(at, TableRecordBytes, code > last ? "default glyph" : AsciiName(code));
    for (unsigned k = 0; k < pairs; ++k, at += TablePairBytes)
        items(at, TablePairBytes, "kerning " + AsciiName(Word(table, at)) + ", " + AsciiName(Word(table, at + 2)));
    if (at < table.size())
        comment("bitmaps");
    for (; at < table.size(); at += 8)
        items(at, std::min<std::size_t>(8, table.size() - at), "");
    if (c)
        out += "};" + std::string(LineEnd);
    return out;
}

}  // namespace quillon::text
