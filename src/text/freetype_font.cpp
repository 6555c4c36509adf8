// PCF (gzipped or not), TrueType, OpenType and the other kinds FreeType reads:
// glyphs rendered in monochrome, hinted for it, at the pixel size asked for;
// a bitmap font at its own size. FreeType's memory comes from a counted pool,
// so no font file can make it take more than FreeTypeMemoryLimit.
//
// libfreetype.so.6 is loaded only when a font needs it: linked in, it and its
// libpng, zlib and brotli would cost every quillon-cli call (convert too)
// about 2 ms and 0.6 MiB.
#include "text/font.h"

#include "common/shared_library.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H
#include FT_FONT_FORMATS_H

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

namespace quillon::text {

namespace {

struct Pool {
    std::size_t used = 0;
};

// Each block carries its size in front, so that free and realloc can count.
constexpr std::size_t Front = alignof(std::max_align_t);

void* Allocate(FT_Memory memory, long size)
{
    auto* pool = static_cast<Pool*>(memory->user);
    const auto bytes = static_cast<std::size_t>(size);
    if (size <= 0 || bytes > FreeTypeMemoryLimit - pool->used)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(bytes + Front));
    if (!block)
        return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    pool->used += bytes;
    return block + Front;
}

void Free(FT_Memory memory, void* at)
{
    if (!at)
        return;
    auto* block = static_cast<unsigned char*>(at) - Front;
    std::size_t bytes = 0;
    std::memcpy(&bytes, block, sizeof bytes);
    static_cast<Pool*>(memory->user)->used -= bytes;
    std::free(block);
}

void* Reallocate(FT_Memory memory, long, long size, void* at)
{
    void* fresh = Allocate(memory, size);
    if (!fresh || !at)
        return fresh;
    std::size_t old = 0;
    std::memcpy(&old, static_cast<unsigned char*>(at) - Front, sizeof old);
    std::memcpy(fresh, at, std::min(old, static_cast<std::size_t>(size)));
    Free(memory, at);
    return fresh;
}

// clang-format off
#define QUILLON_FREETYPE_FUNCTIONS(F) \
    F(FT_New_Library)                 \
    F(FT_Add_Default_Modules)         \
    F(FT_Done_Library)                \
    F(FT_Done_Face)                   \
    F(FT_New_Memory_Face)             \
    F(FT_Get_Font_Format)             \
    F(FT_Set_Pixel_Sizes)             \
    F(FT_Select_Size)                 \
    F(FT_Load_Glyph)                  \
    F(FT_Render_Glyph)                \
    F(FT_Get_Char_Index)              \
    F(FT_Get_Kerning)
// clang-format on

// The run-time name must be the library these headers describe.
static_assert(FREETYPE_MAJOR == 2, "libfreetype.so.6 is loaded: build with the headers of FreeType 2");

struct FreeType {
    QUILLON_FREETYPE_FUNCTIONS(QUILLON_FUNCTION_MEMBER)
};

const Loaded<FreeType>& ft()
{
    return LoadOnce<FreeType>("libfreetype.so.6", "libfreetype6", [](SharedLibrary& library, FreeType& api) {
        (void)library;
        QUILLON_FREETYPE_FUNCTIONS(QUILLON_FUNCTION_LOOKUP)
    });
}

// A library of its own for each font, on the counted pool.
class Library {
public:
    Library()
    {
        memory_.user = &pool_;
        memory_.alloc = Allocate;
        memory_.free = Free;
        memory_.realloc = Reallocate;
        if (ft()->FT_New_Library(&memory_, &library_) == 0)
            ft()->FT_Add_Default_Modules(library_);
        else
            library_ = nullptr;
    }
    ~Library()
    {
        if (face_)
            ft()->FT_Done_Face(face_);
        if (library_)
            ft()->FT_Done_Library(library_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;

private:
    Pool pool_;
    FT_MemoryRec_ memory_{};
};

std::string KindOf(FT_Face face)
{
    const char* format = ft()->FT_Get_Font_Format(face);
    const std::string name = format ? format : "";
    if (name == "TrueType" || name == "PCF" || name == "BDF" || name == "Type 1" || name == "Windows FNT")
        return name;
    if (name == "CFF")
        return "OpenType";
    return name.empty() ? "font" : name;
}

// The glyph in the slot after a monochrome render, as a Glyph.
Result<Glyph> Rendered(FT_Face face, FT_UInt index)
{
    if (ft()->FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0)
        return Failure{"a glyph cannot be rendered"};
    FT_GlyphSlot slot = face->glyph;
    if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_MONO && ft()->FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
        return Failure{"a glyph cannot be rendered in monochrome"};
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.rows > 0 && bitmap.width > 0)
        return Failure{"a glyph is not rendered in monochrome"};
    if (bitmap.width > 1024 || bitmap.rows > 1024)
        return Failure{"a glyph's bitmap is larger than 1024 dots a side"};
    Glyph glyph{static_cast<int>(bitmap.width),
                static_cast<int>(bitmap.rows),
                slot->bitmap_left,
                slot->bitmap_top,
                static_cast<int>((slot->advance.x + 32) >> 6),
                {}};
    glyph.dots.assign(static_cast<std::size_t>(glyph.width * glyph.height), 0);
    for (int y = 0; y < glyph.height; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < glyph.width; ++x)
            glyph.dots[static_cast<std::size_t>(y * glyph.width + x)] = (row[x / 8] >> (7 - x % 8)) & 1;
    }
    return glyph;
}

// Picks the pixel size: a bitmap font's own strike (the size asked for must
// be it, when given), or the size asked for of a scalable font.
std::string SetSize(FT_Face face, int size)
{
    if (FT_IS_SCALABLE(face)) {
        if (size == 0)
            return "a scalable font needs --size (its pixel size)";
        if (ft()->FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0)
            return "cannot be set to " + std::to_string(size) + " px";
        return {};
    }
    if (face->num_fixed_sizes <= 0)
        return "holds no size to draw at";
    std::string sizes;
    for (int k = 0; k < face->num_fixed_sizes; ++k) {
        const FT_Bitmap_Size& strike = face->available_sizes[k];
        const int pixels = static_cast<int>((strike.y_ppem + 32) >> 6);
        if (size == 0 || size == pixels || size == strike.height)
            return ft()->FT_Select_Size(face, k) == 0 ? std::string() : "its size cannot be selected";
        sizes += (sizes.empty() ? "" : ", ") + std::to_string(pixels);
    }
    return "a bitmap font of " + sizes + " px cannot be drawn at " + std::to_string(size) + " px";
}

}  // namespace

bool HaveFreeType()
{
    return true;
}

Result<Font> ReadFreeTypeFont(std::string_view bytes, const FontRequest& request)
{
    if (!ft())
        return Failure{ft().problem};
    Library library;
    if (!library.library_)
        return Failure{"FreeType cannot start"};
    if (ft()->FT_New_Memory_Face(library.library_, reinterpret_cast<const FT_Byte*>(bytes.data()),
                                 static_cast<FT_Long>(bytes.size()), 0, &library.face_) != 0)
        return Failure{"not a font FreeType reads (BDF, PCF, PCF.gz, TrueType, OpenType), or a damaged one"};
    FT_Face face = library.face_;
    if (const std::string problem = SetSize(face, request.size); !problem.empty())
        return Failure{problem};

    Font font;
    font.kind = KindOf(face);
    const FT_Size_Metrics& metrics = face->size->metrics;
    font.ascent = static_cast<int>((metrics.ascender + 63) >> 6);
    font.lineHeight = static_cast<int>((metrics.height + 32) >> 6);
    if (font.ascent < 0 || font.ascent > 1024 || font.lineHeight < 0 || font.lineHeight > 1024)
        return Failure{"its ascent or line height is out of range"};
    std::map<char32_t, FT_UInt> indices;
    std::size_t dots = 0;
    for (const char32_t code : request.codes) {
        const FT_UInt index = ft()->FT_Get_Char_Index(face, code);
        if (index == 0) {
            font.missing.insert(code);
            continue;
        }
        Result<Glyph> glyph = Rendered(face, index);
        if (!glyph)
            return Failure{glyph.Error() + " (" + CharacterName(code) + ")"};
        dots += glyph->dots.size();
        if (dots > MaxFontDots)
            return Failure{"the glyphs asked for hold more than " + std::to_string(MaxFontDots >> 20) +
                           " million dots"};
        font.glyphs.emplace(code, std::move(*glyph));
        indices.emplace(code, index);
    }
    // Glyph 0 is the font's default glyph (.notdef, or a PCF's default character),
    // in every table: a code the table leaves out draws it too.
    if (face->num_glyphs > 0) {
        if (Result<Glyph> glyph = Rendered(face, 0)) {
            font.hasDefault = true;
            font.defaultGlyph = std::move(*glyph);
        }
    }
    if (FT_HAS_KERNING(face)) {
        for (const auto& [left, leftIndex] : indices) {
            for (const auto& [right, rightIndex] : indices) {
                FT_Vector move{};
                if (ft()->FT_Get_Kerning(face, leftIndex, rightIndex, FT_KERNING_DEFAULT, &move) == 0 && move.x != 0)
                    font.kerning[{left, right}] = static_cast<int>(move.x >> 6);
            }
        }
    }
    return font;
}

}  // namespace quillon::text
