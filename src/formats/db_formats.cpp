// The assembler formats: the window's listing, a51, as31 and sdas. One reader
// takes them all, as tolerant as the assemblers are.
#include "formats/formats.h"
#include "formats/text_tools.h"

#include <cstring>

namespace quillon {

namespace {

using namespace text;

constexpr std::string_view Indent = "        ";

template <typename Item>
std::string DataLines(const DisplayImage& image, const WriteOptions& options, std::string_view directive, Item item)
{
    std::string text;
    if (!options.label.empty())
        text += options.label + ":" + std::string(LineEnd);
    return text + Shaped(image, [&](std::span<const std::uint8_t> items, bool) {
               return std::string(Indent) + std::string(directive) + " " + Joined(items, ",", item);
           });
}

bool IsLabelCharacter(char c, bool first)
{
    const bool letter =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '.' || c == '$' || c == '?' || c == '@';
    return letter || (!first && c >= '0' && c <= '9');
}

// A line without its comment (after ";" or "//") and its label ("NAME:" or
// the asxxxx "NAME::"), trimmed.
std::string_view Statement(std::string_view line)
{
    line = line.substr(0, std::min(line.find(';'), line.find("//")));
    line = Trimmed(line);
    std::size_t k = 0;
    while (k < line.size() && IsLabelCharacter(line[k], k == 0))
        ++k;
    if (k > 0 && k < line.size() && line[k] == ':') {
        ++k;
        if (k < line.size() && line[k] == ':')
            ++k;
        line = Trimmed(line.substr(k));
    }
    return line;
}

struct DataStatement {
    std::string_view directive;  // empty: not a data line
    std::string_view items;
};

DataStatement Data(std::string_view statement)
{
    const std::size_t end = statement.find_first_of(" \t\f");
    const std::string_view word = statement.substr(0, end);
    for (const std::string_view directive : {"DB", ".DB", ".BYTE"}) {
        if (EqualNoCase(word, directive))
            return {word, end == std::string_view::npos ? std::string_view() : Trimmed(statement.substr(end))};
    }
    return {};
}

bool IsListingLine(std::string_view line)
{
    if (line.empty())
        return true;
    if (!line.starts_with("        DB ") || !line.ends_with(";"))
        return false;
    const std::string_view items = line.substr(11, line.size() - 12);
    if (items.size() % 4 != 3 || items.size() > 31)
        return false;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const char c = items[k];
        const bool ok = k % 4 == 2   ? c == 'H'
                        : k % 4 == 3 ? c == ','
                                     : (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        if (!ok)
            return false;
    }
    return true;
}

constexpr char ListingPrefix[] = "        DB ";
constexpr std::size_t ListingPrefixLength = 11;

// Each byte's item as the listing writes it: two upper-case hexadecimal
// digits, "H,".
struct HexItemTable {
    char items[256][4];
};
constexpr HexItemTable MakeHexItems()
{
    constexpr char Digits[] = "0123456789ABCDEF";
    HexItemTable table{};
    for (int value = 0; value < 256; ++value) {
        table.items[value][0] = Digits[value / 16];
        table.items[value][1] = Digits[value % 16];
        table.items[value][2] = 'H';
        table.items[value][3] = ',';
    }
    return table;
}
constexpr HexItemTable HexItems = MakeHexItems();

}  // namespace

// The window's listing, the tool's default output: each line built straight
// into a line buffer from the item table rather than item by item.
std::string WriteListingFormat(const DisplayImage& image, const WriteOptions&)
{
    std::string text;
    text.reserve(2760);  // the listing of 488 bytes
    char line[64];
    std::memcpy(line, ListingPrefix, ListingPrefixLength);
    for (std::size_t block = 0; block < 2; ++block) {
        if (block == 1)
            text += LineEnd;
        for (std::size_t first = 0; first < BlockBytes; first += 8) {
            const std::size_t count = first + 8 <= BlockBytes ? 8 : BlockBytes - first;
            char* item = line + ListingPrefixLength;
            for (std::size_t k = 0; k < count; ++k, item += 4)
                std::memcpy(item, HexItems.items[image.Byte(block * BlockBytes + first + k)], 4);
            item[-1] = ';';
            std::memcpy(item, LineEnd.data(), 2);
            text.append(line, static_cast<std::size_t>(item + 2 - line));
        }
    }
    return text;
}

std::string WriteA51(const DisplayImage& image, const WriteOptions& options)
{
    return DataLines(image, options, "DB", DigitFirstItem);
}

std::string WriteAs31(const DisplayImage& image, const WriteOptions& options)
{
    return DataLines(image, options, ".db", DigitFirstItem);
}

std::string WriteSdas(const DisplayImage& image, const WriteOptions& options)
{
    return DataLines(image, options, ".db", CItem);
}

ReadResult ReadDataLines(std::string_view bytes)
{
    ByteCollector bytesRead;
    for (const auto& [number, line] : SplitLines(bytes)) {
        const std::string_view statement = Statement(line);
        if (statement.empty())
            continue;
        const DataStatement data = Data(statement);
        if (data.directive.empty()) {
            bytesRead.Fail(number, Quoted(statement) + " is not a data line (DB, .db or .byte).");
            break;
        }
        std::string_view rest = data.items;
        while (!bytesRead.Failed()) {
            const std::size_t comma = rest.find(',');
            const std::string_view item = Trimmed(rest.substr(0, comma));
            if (item.empty()) {
                bytesRead.Fail(number, "an item is missing.");
                break;
            }
            const auto value = AssemblerNumber(item);
            if (!value) {
                bytesRead.Fail(number, Quoted(item) + " is not a number.");
                break;
            }
            bytesRead.Add(*value, item, number);
            if (comma == std::string_view::npos)
                break;
            rest = rest.substr(comma + 1);
        }
        if (bytesRead.Failed())
            break;
    }
    return bytesRead.Finish();
}

std::string_view DataLinesFlavour(std::string_view bytes)
{
    bool data = false;
    bool dotDb = false;
    bool cItems = false;
    bool listing = true;
    for (const auto& [number, line] : SplitLines(bytes)) {
        listing = listing && IsListingLine(line);
        const DataStatement statement = Data(Statement(line));
        if (statement.directive.empty())
            continue;
        data = true;
        if (statement.directive.starts_with('.')) {
            dotDb = true;
            cItems = cItems || statement.items.find('#') != std::string_view::npos ||
                     statement.items.find("0x") != std::string_view::npos ||
                     statement.items.find("0X") != std::string_view::npos;
        }
    }
    if (!data)
        return {};
    if (dotDb)
        return cItems ? "sdas" : "as31";
    return listing ? "listing" : "a51";
}

}  // namespace quillon
