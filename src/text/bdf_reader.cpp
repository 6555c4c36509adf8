// BDF (Glyph Bitmap Distribution Format 2.1), read line by line from its text.
// Only the characters asked for (and the default one) are kept, each at most
// MaxGlyphSide dots a side, so memory stays bounded whatever the file says.
#include "common/hex_digit.h"
#include "formats/text_tools.h"
#include "text/font.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace quillon::text {

namespace {

constexpr int MaxGlyphSide = 512;

struct Words {
    std::string_view keyword;
    std::vector<std::string_view> rest;
};

Words Split(std::string_view line)
{
    Words words;
    std::size_t k = 0;
    while (k < line.size()) {
        while (k < line.size() && (line[k] == ' ' || line[k] == '\t'))
            ++k;
        const std::size_t start = k;
        while (k < line.size() && line[k] != ' ' && line[k] != '\t')
            ++k;
        if (k > start) {
            if (words.keyword.empty())
                words.keyword = line.substr(start, k - start);
            else if (words.rest.size() < 8)
                words.rest.push_back(line.substr(start, k - start));
        }
    }
    return words;
}

std::optional<int> Integer(std::string_view word)
{
    int value = 0;
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

std::optional<int> Nth(const Words& words, std::size_t n)
{
    return n < words.rest.size() ? Integer(words.rest[n]) : std::nullopt;
}

// The lines of the text one at a time (ends CR LF, CR or LF), never all at once.
class Lines {
public:
    explicit Lines(std::string_view text) : rest_(text) {}
    bool Next(Line& line)
    {
        if (rest_.empty())
            return false;
        const std::size_t end = std::min(rest_.find_first_of("\r\n"), rest_.size());
        line = {++number_, rest_.substr(0, end)};
        std::size_t skip = end;
        if (skip < rest_.size())
            skip += rest_.compare(skip, 2, "\r\n") == 0 ? 2 : 1;
        rest_.remove_prefix(skip);
        return true;
    }
    int Number() const { return number_; }

private:
    std::string_view rest_;
    int number_ = 0;
};

class Reader {
public:
    explicit Reader(const FontRequest& request) : request_(request) {}
    Result<Font> Read(std::string_view bytes);

private:
    std::string Fail(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }
    std::string Character(Lines& lines);

    const FontRequest& request_;
    Font font_;
    int defaultCode_ = -1;
    std::optional<Glyph> defaultGlyph_;
    int fontWidth_ = 0;     // DWIDTH of the font, for characters without their own
    std::size_t dots_ = 0;  // held by the glyphs kept
};

Result<Font> Reader::Read(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    Lines lines(bytes);
    Line line{};
    if (!lines.Next(line) || Split(line.text).keyword != "STARTFONT")
        return Failure{"not a BDF font: it does not begin with STARTFONT"};
    std::optional<int> ascent, descent;
    bool ended = false;
    while (!ended && lines.Next(line)) {
        const Words words = Split(line.text);
        const int number = line.number;
        if (words.keyword == "FONT_ASCENT") {
            ascent = Nth(words, 0);
        } else if (words.keyword == "FONT_DESCENT") {
            descent = Nth(words, 0);
        } else if (words.keyword == "DEFAULT_CHAR") {
            defaultCode_ = Nth(words, 0).value_or(-1);
        } else if (words.keyword == "PIXEL_SIZE") {
            if (const auto size = Nth(words, 0); size && request_.size != 0 && *size != request_.size)
                return Failure{"a bitmap font of " + std::to_string(*size) + " px cannot be drawn at " +
                               std::to_string(request_.size) + " px"};
        } else if (words.keyword == "DWIDTH") {
            fontWidth_ = Nth(words, 0).value_or(0);
        } else if (words.keyword == "STARTCHAR") {
            if (!ascent || !descent)
                return Failure{Fail(number, "a character before FONT_ASCENT and FONT_DESCENT")};
            if (std::string problem = Character(lines); !problem.empty())
                return Failure{problem};
        } else if (words.keyword == "ENDFONT") {
            ended = true;
        }
    }
    if (!ended)
        return Failure{"the font ends before ENDFONT"};
    if (!ascent || !descent || *ascent < 0 || *descent < -*ascent || *ascent > 1024 || *descent > 1024)
        return Failure{"FONT_ASCENT and FONT_DESCENT are missing or out of range"};
    font_.kind = "BDF";
    font_.ascent = *ascent;
    font_.lineHeight = *ascent + *descent;
    for (const char32_t code : request_.codes) {
        if (!font_.glyphs.count(code))
            font_.missing.insert(code);
    }
    if (defaultGlyph_) {
        font_.hasDefault = true;
        font_.defaultGlyph = std::move(*defaultGlyph_);
    }
    return std::move(font_);
}

// One STARTCHAR ... ENDCHAR, read from the line after STARTCHAR on.
std::string Reader::Character(Lines& lines)
{
    std::optional<int> encoding;
    std::optional<int> width = fontWidth_;
    int w = -1, h = -1, x = 0, y = 0;
    Line line{};
    while (lines.Next(line)) {
        const Words words = Split(line.text);
        const int number = line.number;
        if (words.keyword == "ENCODING") {
            encoding = Nth(words, 0);
            if (!encoding)
                return Fail(number, "ENCODING is not a number");
        } else if (words.keyword == "DWIDTH") {
            width = Nth(words, 0);
        } else if (words.keyword == "BBX") {
            const auto bw = Nth(words, 0), bh = Nth(words, 1), bx = Nth(words, 2), by = Nth(words, 3);
            if (!bw || !bh || !bx || !by || *bw < 0 || *bh < 0 || *bw > MaxGlyphSide || *bh > MaxGlyphSide ||
                *bx < -MaxGlyphSide || *bx > MaxGlyphSide || *by < -MaxGlyphSide || *by > MaxGlyphSide)
                return Fail(number,
                            "BBX needs four numbers, a width and height from 0 to " + std::to_string(MaxGlyphSide));
            w = *bw, h = *bh, x = *bx, y = *by;
        } else if (words.keyword == "BITMAP") {
            if (w < 0)
                return Fail(number, "BITMAP before BBX");
            if (!width || *width < -MaxGlyphSide || *width > MaxGlyphSide)
                return Fail(number, "the character has no DWIDTH in range");
            const int code = encoding.value_or(-1);
            const bool wanted = code >= 0 && request_.codes.count(static_cast<char32_t>(code));
            const bool isDefault = code >= 0 && code == defaultCode_;
            Glyph glyph{w, h, x, y + h, *width, {}};
            if (wanted || isDefault) {
                dots_ += static_cast<std::size_t>(w * h);
                if (dots_ > MaxFontDots)
                    return Fail(number, "the glyphs asked for hold more than " + std::to_string(MaxFontDots >> 20) +
                                            " million dots");
                glyph.dots.assign(static_cast<std::size_t>(w * h), 0);
            }
            for (int row = 0; row < h; ++row) {
                if (!lines.Next(line))
                    return Fail(lines.Number(), "the bitmap ends early");
                const std::string_view hex = Trimmed(line.text);
                if (hex.size() < static_cast<std::size_t>((w + 7) / 8 * 2))
                    return Fail(line.number, "a bitmap row is shorter than the BBX width");
                for (int column = 0; column < w && !glyph.dots.empty(); ++column) {
                    const int digit = HexDigitValue(hex[static_cast<std::size_t>(column / 4)]);
                    if (digit < 0)
                        return Fail(line.number, "a bitmap row holds a character that is no hex digit");
                    glyph.dots[static_cast<std::size_t>(row * w + column)] = (digit >> (3 - column % 4)) & 1;
                }
            }
            if (!lines.Next(line) || Split(line.text).keyword != "ENDCHAR")
                return Fail(lines.Number(), "the bitmap is not followed by ENDCHAR");
            if (isDefault)
                defaultGlyph_ = glyph;
            if (wanted)
                font_.glyphs.insert_or_assign(static_cast<char32_t>(code), std::move(glyph));
            return {};
        } else if (words.keyword == "ENDCHAR" || words.keyword == "STARTCHAR" || words.keyword == "ENDFONT") {
            return Fail(number, std::string(words.keyword) + " inside a character before its BITMAP");
        }
    }
    return Fail(lines.Number(), "the font ends inside a character");
}

}  // namespace

Result<Font> ReadBdf(std::string_view bytes, const FontRequest& request)
{
    return Reader(request).Read(bytes);
}

}  // namespace quillon::text
