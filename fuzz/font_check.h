// What both font fuzz targets check of a font read from any bytes: its glyphs
// hold the dots they claim, and text drawn from its glyph table's bytes by
// examples/font's C89 renderer lands exactly where the core draws it.
#pragma once

#include "fuzz_check.h"
#include "text/font.h"
#include "text/glyph_table.h"

#include <cstring>

extern "C" {
#include "../examples/font/draw.c"
}

namespace quillon::fuzz {

// The codes asked of every font: the table's range, so that the C renderer's
// default record stands for the same characters as the core's default glyph.
inline text::FontRequest Request(int size)
{
    text::FontRequest request;
    for (char32_t code = 32; code <= 0xB0; ++code)
        request.codes.insert(code);
    request.size = size;
    return request;
}

inline void CheckFont(const Result<text::Font>& font, const text::FontRequest& request)
{
    if (!font)
        return;
    for (const auto& [code, glyph] : font->glyphs) {
        FUZZ_CHECK(request.codes.count(code) && !font->missing.count(code), "U+%04X was not asked for",
                   static_cast<unsigned>(code));
        FUZZ_CHECK(glyph.dots.size() == static_cast<std::size_t>(glyph.width) * glyph.height,
                   "U+%04X: %zu dots for %d x %d", static_cast<unsigned>(code), glyph.dots.size(), glyph.width,
                   glyph.height);
    }
    FUZZ_CHECK(font->glyphs.size() + font->missing.size() == request.codes.size(), "%zu glyphs and %zu missing",
               font->glyphs.size(), font->missing.size());
    const Result<text::GlyphTable> table = text::MakeTable(*font);
    if (!table)
        return;
    const auto bytes = text::TableBytes(*table, 32, 0xB0);
    if (!bytes)
        return;
    FUZZ_CHECK(bytes->size() <= 0xFFFF, "a table of %zu bytes", bytes->size());
    // Kerning pairs, a new line, the degree sign, a character outside the table.
    static const char* const Texts[] = {"Ab\\nj\xC2\xB0 \xE4\xB8\xADx", "AVAVA To Ty 25\xC2\xB0\x43\\n\\n|"};
    static const int Positions[][2] = {{-5, -3}, {100, 20}};
    for (const char* utf8 : Texts) {
        for (const auto& [x, y] : Positions) {
            DisplayImage image;
            text::Draw(*table, *text::TextCodes(utf8), x, y, image);
            unsigned char drawn[QF_BYTES] = {};
            qf_draw(drawn, bytes->data(), x, y, utf8);
            FUZZ_CHECK(std::memcmp(drawn, image.bytes().data(), QF_BYTES) == 0,
                       "the C renderer and the core differ for \"%s\" at %d, %d", utf8, x, y);
        }
    }
}

}  // namespace quillon::fuzz
