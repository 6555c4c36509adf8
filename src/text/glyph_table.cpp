#include "text/glyph_table.h"

#include <charconv>

#include <algorithm>
#include <climits>

namespace quillon::text {

namespace {

// The glyph's dots in a cell whose row 0 is `cellTop` rows above the baseline.
TableGlyph Cell(const Glyph& glyph, int cellTop, int height)
{
    TableGlyph cell{glyph.width, glyph.left, glyph.advance, {}};
    cell.bytes.assign(static_cast<std::size_t>(height / 8 * glyph.width), 0);
    for (int y = 0; y < glyph.height; ++y) {
        const int row = cellTop - glyph.top + y;
        for (int x = 0; x < glyph.width; ++x) {
            if (glyph.Dot(x, y))
                cell.bytes[static_cast<std::size_t>(row / 8 * glyph.width + x)] |=
                    static_cast<std::uint8_t>(1u << (row % 8));
        }
    }
    return cell;
}

std::string Fits(std::string_view what, int value, int low, int high)
{
    if (value >= low && value <= high)
        return {};
    return std::string(what) + " is " + std::to_string(value) + ", outside " + std::to_string(low) + " to " +
           std::to_string(high) + " that a glyph table holds";
}

std::string GlyphFits(const Glyph& glyph, std::string_view name)
{
    for (const std::string& problem : {Fits("the width of " + std::string(name), glyph.width, 0, 255),
                                       Fits("the left offset of " + std::string(name), glyph.left, -128, 127),
                                       Fits("the advance of " + std::string(name), glyph.advance, 0, 255)}) {
        if (!problem.empty())
            return problem;
    }
    return {};
}

void Put16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

}  // namespace

const TableGlyph& GlyphTable::GlyphOf(char32_t code) const
{
    const auto found = index.find(code);
    return found == index.end() ? defaultGlyph : glyphs[found->second];
}

int GlyphTable::Kerning(char32_t left, char32_t right) const
{
    const auto found = kerning.find({left, right});
    return found == kerning.end() ? 0 : found->second;
}

Result<GlyphTable> MakeTable(const Font& font)
{
    // The cell reaches from the highest glyph top to the lowest glyph bottom,
    // and holds the line's ascent.
    int above = std::max(font.ascent, 1);
    int below = 0;
    const auto reach = [&](const Glyph& glyph) {
        if (glyph.width > 0 && glyph.height > 0) {
            above = std::max(above, glyph.top);
            below = std::max(below, glyph.height - glyph.top);
        }
    };
    for (const auto& [code, glyph] : font.glyphs) {
        if (std::string problem = GlyphFits(glyph, CharacterName(code)); !problem.empty())
            return Failure{problem};
        reach(glyph);
    }
    if (font.hasDefault) {
        if (std::string problem = GlyphFits(font.defaultGlyph, "the default glyph"); !problem.empty())
            return Failure{problem};
        reach(font.defaultGlyph);
    }
    GlyphTable table;
    table.height = (above + below + 7) / 8 * 8;
    table.baseline = above;
    table.ascent = font.ascent;
    table.lineHeight = font.lineHeight;
    for (const std::string& problem :
         {Fits("the glyphs' height", table.height, 0, 248), Fits("the ascent", font.ascent, 0, 255),
          Fits("the line height", font.lineHeight, 0, 255)}) {
        if (!problem.empty())
            return Failure{problem};
    }
    for (const auto& [code, glyph] : font.glyphs) {
        table.index.emplace(code, table.glyphs.size());
        table.glyphs.push_back(Cell(glyph, above, table.height));
    }
    if (font.hasDefault)
        table.defaultGlyph = Cell(font.defaultGlyph, above, table.height);
    for (const auto& [pair, move] : font.kerning) {
        if (std::string problem = Fits("a kerning value", move, -128, 127); !problem.empty())
            return Failure{problem};
        table.kerning.emplace(pair, move);
    }
    return table;
}

Result<std::vector<std::uint8_t>> TableBytes(const GlyphTable& table, char32_t first, char32_t last)
{
    if (first > last || last > 0xFFFF)
        return Failure{"the codes must lie in 0 to 0xFFFF"};
    std::vector<const TableGlyph*> records;
    for (char32_t code = first; code <= last; ++code)
        records.push_back(&table.GlyphOf(code));
    records.push_back(&table.defaultGlyph);

    std::vector<std::pair<std::pair<char32_t, char32_t>, int>> pairs;
    for (const auto& entry : table.kerning) {
        if (entry.first.first >= first && entry.first.first <= last && entry.first.second >= first &&
            entry.first.second <= last)
            pairs.push_back(entry);
    }
    // Equal bitmaps are kept once: the default glyph's copies, blanks alike.
    std::vector<std::uint8_t> bitmaps;
    std::map<std::string, std::size_t> placed;
    const std::size_t bitmapStart =
        TableHeaderBytes + records.size() * TableRecordBytes + pairs.size() * TablePairBytes;
    std::vector<std::size_t> offsets;
    for (const TableGlyph* glyph : records) {
        auto [at, fresh] =
            placed.emplace(std::string(glyph->bytes.begin(), glyph->bytes.end()), bitmapStart + bitmaps.size());
        if (fresh)
            bitmaps.insert(bitmaps.end(), glyph->bytes.begin(), glyph->bytes.end());
        offsets.push_back(at->second);
    }
    const std::size_t total = bitmapStart + bitmaps.size();
    if (total > 0xFFFF || pairs.size() > 0xFFFF)
        return Failure{"the table would take " + std::to_string(total) +
                       " bytes, more than the 65535 its offsets reach; ask for fewer characters or a smaller size"};

    std::vector<std::uint8_t> out;
    out.reserve(total);
    Put16(out, static_cast<unsigned>(first));
    Put16(out, static_cast<unsigned>(last));
    out.push_back(static_cast<std::uint8_t>(table.height));
    out.push_back(static_cast<std::uint8_t>(table.baseline));
    out.push_back(static_cast<std::uint8_t>(table.ascent));
    out.push_back(static_cast<std::uint8_t>(table.lineHeight));
    Put16(out, static_cast<unsigned>(pairs.size()));
    for (std::size_t k = 0; k < records.size(); ++k) {
        out.push_back(static_cast<std::uint8_t>(records[k]->width));
        out.push_back(static_cast<std::uint8_t>(records[k]->left & 0xFF));
        out.push_back(static_cast<std::uint8_t>(records[k]->advance));
        Put16(out, static_cast<unsigned>(offsets[k]));
    }
    for (const auto& [pair, move] : pairs) {
        Put16(out, static_cast<unsigned>(pair.first));
        Put16(out, static_cast<unsigned>(pair.second));
        out.push_back(static_cast<std::uint8_t>(move & 0xFF));
    }
    out.insert(out.end(), bitmaps.begin(), bitmaps.end());
    return out;
}

std::optional<std::u32string> TextCodes(std::string_view utf8)
{
    std::u32string codes;
    std::size_t k = 0;
    while (k < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[k]);
        if (c == '\\' && k + 1 < utf8.size() && (utf8[k + 1] == 'n' || utf8[k + 1] == '\\')) {
            codes += utf8[k + 1] == 'n' ? NewLine : U'\\';
            k += 2;
            continue;
        }
        const std::size_t length = c < 0x80                 ? 1
                                   : c >= 0xC2 && c <= 0xDF ? 2
                                   : c >= 0xE0 && c <= 0xEF ? 3
                                   : c >= 0xF0 && c <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || k + length > utf8.size())
            return std::nullopt;
        char32_t code = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t m = 1; m < length; ++m) {
            const auto next = static_cast<unsigned char>(utf8[k + m]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            code = code << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and codes past U+10FFFF are not UTF-8.
        const char32_t least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0;
        if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return std::nullopt;
        codes += code;
        k += length;
    }
    return codes;
}

void Trace(const GlyphTable& table, std::u32string_view codes, int x, int y,
           const std::function<void(int x, int y)>& dot, int stop, int pitch)
{
    const int lineHeight = pitch != 0 ? pitch : table.lineHeight;
    int pen = x;
    int cellTop = y + table.ascent - table.baseline;
    bool afterGlyph = false;
    char32_t previous = 0;
    for (const char32_t code : codes) {
        if (code == NewLine) {
            pen = x;
            cellTop += lineHeight;
            afterGlyph = false;
            continue;
        }
        if (pen >= stop)
            continue;
        if (afterGlyph)
            pen += table.Kerning(previous, code);
        const TableGlyph& glyph = table.GlyphOf(code);
        const int pages = table.height / 8;
        for (int page = 0; page < pages; ++page) {
            for (int column = 0; column < glyph.width; ++column) {
                const std::uint8_t byte = glyph.bytes[static_cast<std::size_t>(page * glyph.width + column)];
                for (int bit = 0; bit < 8; ++bit) {
                    if ((byte >> bit) & 1)
                        dot(pen + glyph.left + column, cellTop + page * 8 + bit);
                }
            }
        }
        pen += glyph.advance;
        previous = code;
        afterGlyph = true;
    }
}

void Draw(const GlyphTable& table, std::u32string_view codes, int x, int y, DisplayImage& image)
{
    Trace(table, codes, x, y, [&](int dotX, int dotY) {
        if (dotX >= 0 && dotX < DisplayWidth && dotY >= 0 && dotY < DisplayHeight)
            image.SetDot(dotX, dotY, true);
    });
}

namespace {

// The box of a text's lit dots, drawn from (0, 0); empty when none is lit.
struct Box {
    int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
    bool Empty() const { return left > right; }
};

Box BoxOf(const GlyphTable& table, std::u32string_view codes, int pitch)
{
    Box box;
    Trace(
        table, codes, 0, 0,
        [&](int x, int y) {
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        },
        INT_MAX, pitch);
    return box;
}

int Place(Align align, int given, int low, int high, int size)
{
    switch (align) {
        case Align::None:
            return given;
        case Align::Start:
            return -low;
        case Align::Middle:
            return (size - (high - low + 1)) / 2 - low;
        case Align::End:
            return size - 1 - high;
    }
    return given;
}

}  // namespace

Drawn DrawText(const GlyphTable& table, std::u32string_view codes, const Placement& placement, DisplayImage& image)
{
    // A pitch of 0 would mean the font's own; one dot is the least there is.
    const int pitch = std::max(1, table.lineHeight + placement.lineSpacing);
    const Box whole = BoxOf(table, codes, pitch);
    const int y =
        whole.Empty() ? placement.y : Place(placement.vertical, placement.y, whole.top, whole.bottom, DisplayHeight);
    Drawn drawn;
    int number = 1;
    for (std::size_t start = 0; start <= codes.size(); ++number) {
        const std::size_t end = std::min(codes.find(NewLine, start), codes.size());
        const std::u32string_view line = codes.substr(start, end - start);
        const Box box = BoxOf(table, line, pitch);
        const int x =
            box.Empty() ? placement.x : Place(placement.horizontal, placement.x, box.left, box.right, DisplayWidth);
        bool cut = false;
        Trace(
            table, line, x, y + (number - 1) * pitch,
            [&](int dotX, int dotY) {
                if (dotX >= 0 && dotX < DisplayWidth && dotY >= 0 && dotY < DisplayHeight) {
                    image.SetDot(dotX, dotY, true);
                    return;
                }
                cut = true;
                drawn.left = drawn.left || dotX < 0;
                drawn.right = drawn.right || dotX >= DisplayWidth;
                drawn.top = drawn.top || dotY < 0;
                drawn.bottom = drawn.bottom || dotY >= DisplayHeight;
            },
            PenStop, pitch);
        if (cut && drawn.firstCutLine == 0)
            drawn.firstCutLine = number;
        start = end + 1;
    }
    return drawn;
}

std::string CutOffNote(const Drawn& drawn)
{
    if (drawn.firstCutLine == 0)
        return {};
    std::vector<std::string> edges;
    for (const auto& [cut, edge] : {std::pair{drawn.left, "left"}, std::pair{drawn.right, "right"},
                                    std::pair{drawn.top, "top"}, std::pair{drawn.bottom, "bottom"}}) {
        if (cut)
            edges.emplace_back(edge);
    }
    std::string words = "is cut off at the display's ";
    for (std::size_t k = 0; k < edges.size(); ++k)
        words += (k == 0 ? "" : k + 1 == edges.size() ? " and " : ", ") + edges[k];
    return words + (edges.size() == 1 ? " edge" : " edges") + " (from line " + std::to_string(drawn.firstCutLine) + ")";
}

std::string MissingNote(const Font& font, char32_t code)
{
    return "has no glyph for " + CharacterName(code) +
           (font.hasDefault ? "; its default glyph is drawn instead" : "; it is left out");
}

namespace {

std::optional<unsigned> Code(std::string_view word)
{
    unsigned value = 0;
    const bool hex = word.starts_with("0x") || word.starts_with("0X");
    if (hex)
        word.remove_prefix(2);
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, hex ? 16 : 10);
    if (word.empty() || error != std::errc() || end != word.data() + word.size() || value > 0xFFFF)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::set<char32_t>> CodesOf(std::string_view list)
{
    std::set<char32_t> codes;
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        const std::string_view item = list.substr(0, comma);
        const std::size_t dash = item.find('-', 1);
        const auto low = Code(item.substr(0, dash));
        const auto high = dash == std::string_view::npos ? low : Code(item.substr(dash + 1));
        if (!low || !high || *low > *high)
            return std::nullopt;
        for (unsigned code = *low; code <= *high; ++code)
            codes.insert(code);
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
    if (codes.empty())
        return std::nullopt;
    return codes;
}

}  // namespace quillon::text
