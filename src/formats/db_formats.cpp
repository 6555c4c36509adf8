// The assembler formats: the window's listing, a51, as31 and sdas. One reader
// takes them all, as tolerant as the assemblers are.
#include "formats/formats.h"
#include "formats/text_tools.h"

#include <cstring>

namespace quillon {

bool ToldListing(std::string_view bytes);
bool ToldSdas(std::string_view bytes);
bool ToldAs31(std::string_view bytes);
bool ToldA51(std::string_view bytes);
std::string WriteListingFormat(std::span<const std::uint8_t> bytes, const WriteOptions&);
std::string WriteA51(std::span<const std::uint8_t> bytes, const WriteOptions& options);
std::string WriteAs31(std::span<const std::uint8_t> bytes, const WriteOptions& options);
std::string WriteSdas(std::span<const std::uint8_t> bytes, const WriteOptions& options);
Result<std::vector<std::uint8_t>> ParseDataLines(std::string_view bytes, std::size_t count);

namespace {

using namespace text;

constexpr std::string_view Indent = "        ";

// An animation's parts are labelled, by --label or the picture's name:
// logo_count, logo_delays, logo_frames.
std::string PartLabel(const TablePart& part, const WriteOptions& options)
{
    if (part.name.empty())
        return {};
    const std::string base = options.label.empty() ? CIdentifier(options.pictureName) : options.label;
    return base + "_" + std::string(part.name) + ":";
}

template <typename Item>
std::string DataLines(std::span<const std::uint8_t> bytes, const WriteOptions& options, std::string_view directive,
                      Item item)
{
    std::string text;
    if (!options.label.empty())
        text += options.label + ":" + std::string(LineEnd);
    return text + Shaped(
                      bytes,
                      [&](std::span<const std::uint8_t> items, bool) {
                          return std::string(Indent) + std::string(directive) + " " + Joined(items, ",", item);
                      },
                      [&](const TablePart& part) { return PartLabel(part, options); });
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

constexpr std::string_view ListingPrefix = "        DB ";

bool IsListingLine(std::string_view line)
{
    if (line.empty())
        return true;
    if (!line.starts_with(ListingPrefix) || !line.ends_with(";"))
        return false;
    const std::string_view items = line.substr(ListingPrefix.size(), line.size() - ListingPrefix.size() - 1);
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

// What the text of the tables shows of their data: lines of which statements.
struct DataFacts {
    bool data = false;    // a DB, .db or .byte line
    bool dotDb = false;   // a .db or .byte line
    bool cItems = false;  // ... holding 0x or # items
    bool listing = true;  // every line empty or the window's exact form
};

DataFacts FactsOf(std::string_view bytes)
{
    DataFacts facts;
    if (!IsText(bytes))
        return {false, false, false, false};
    for (const auto& [number, line] : SplitLines(bytes)) {
        facts.listing = facts.listing && IsListingLine(line);
        const DataStatement statement = Data(Statement(line));
        if (statement.directive.empty())
            continue;
        facts.data = true;
        if (statement.directive.starts_with('.')) {
            facts.dotDb = true;
            facts.cItems = facts.cItems || statement.items.find('#') != std::string_view::npos ||
                           statement.items.find("0x") != std::string_view::npos ||
                           statement.items.find("0X") != std::string_view::npos;
        }
    }
    return facts;
}

}  // namespace

bool ToldListing(std::string_view bytes)
{
    const DataFacts facts = FactsOf(bytes);
    return facts.data && facts.listing;
}

bool ToldSdas(std::string_view bytes)
{
    return FactsOf(bytes).cItems;
}

bool ToldAs31(std::string_view bytes)
{
    return FactsOf(bytes).dotDb;
}

bool ToldA51(std::string_view bytes)
{
    return FactsOf(bytes).data;
}

// The window's listing, the tool's default output: each line built straight
// into a line buffer from the item table rather than item by item.
std::string WriteListingFormat(std::span<const std::uint8_t> bytes, const WriteOptions&)
{
    if (bytes.size() != DisplayBytes) {  // an animation: the listing's lines, no label
        return Shaped(bytes, [](std::span<const std::uint8_t> items, bool) {
            std::string line(ListingPrefix);
            for (const std::uint8_t value : items)
                line.append(HexItems.items[value], 4);
            line.back() = ';';
            return line;
        });
    }
    std::string text;
    text.reserve(2760);  // the listing of 488 bytes
    char line[64];
    std::memcpy(line, ListingPrefix.data(), ListingPrefix.size());
    for (std::size_t block = 0; block * BlockBytes < bytes.size(); ++block) {
        if (block > 0)
            text += LineEnd;
        for (std::size_t first = 0; first < BlockBytes; first += 8) {
            const std::size_t count = first + 8 <= BlockBytes ? 8 : BlockBytes - first;
            char* item = line + ListingPrefix.size();
            for (std::size_t k = 0; k < count; ++k, item += 4)
                std::memcpy(item, HexItems.items[bytes[block * BlockBytes + first + k]], 4);
            item[-1] = ';';
            std::memcpy(item, LineEnd.data(), 2);
            text.append(line, static_cast<std::size_t>(item + 2 - line));
        }
    }
    return text;
}

std::string WriteA51(std::span<const std::uint8_t> bytes, const WriteOptions& options)
{
    return DataLines(bytes, options, "DB", DigitFirstItem);
}

std::string WriteAs31(std::span<const std::uint8_t> bytes, const WriteOptions& options)
{
    return DataLines(bytes, options, ".db", DigitFirstItem);
}

std::string WriteSdas(std::span<const std::uint8_t> bytes, const WriteOptions& options)
{
    return DataLines(bytes, options, ".db", CItem);
}

Result<std::vector<std::uint8_t>> ParseDataLines(std::string_view bytes, std::size_t count)
{
    ByteCollector bytesRead(count, 2 + MostFrames * (2 + DisplayBytes));
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

}  // namespace quillon
