// Telling a font file's kind, and naming characters in messages.
#include "text/font.h"

#include <cstdio>

namespace quillon::text {

Result<Font> ReadFont(std::string_view bytes, const FontRequest& request)
{
    if (request.size < 0 || request.size > MaxPixelSize)
        return Failure{"--size " + std::to_string(request.size) + " is no pixel size: give 1 to " +
                       std::to_string(MaxPixelSize)};
    std::string_view start = bytes.substr(0, 64);
    if (start.starts_with("\xEF\xBB\xBF"))
        start.remove_prefix(3);
    if (start.starts_with("STARTFONT"))
        return ReadBdf(bytes, request);
    if (!HaveFreeType())
        return Failure{
            "this build reads BDF fonts only (PCF, TrueType and OpenType need FreeType, which the "
            "Windows build lacks); convert the font to BDF"};
    return ReadFreeTypeFont(bytes, request);
}

std::string Utf8(char32_t code)
{
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

std::string CharacterName(char32_t code)
{
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
    const bool printable = code > 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0);
    return printable ? std::string(name) + " '" + Utf8(code) + "'" : std::string(name);
}

}  // namespace quillon::text
