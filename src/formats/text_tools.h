// What the text formats share: their common shape when written, and cutting
// lines, numbers and byte counts when read.
#pragma once

#include "common/display.h"
#include "formats/formats.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::text {

inline constexpr std::string_view LineEnd = "\r\n";

// The parts a table is written in: one image; or an animation's frame count,
// its delays and its frames (formats/formats.h has the bytes' layout).
struct TablePart {
    std::string_view name;  // "count", "delays", "frames"; empty for one image
    std::span<const std::uint8_t> bytes;
    bool images;  // display images, 488 bytes each
};
std::vector<TablePart> PartsOf(std::span<const std::uint8_t> bytes);

// The listing's shape: per block (each after the first behind one empty line)
// lines of 8 items, the block's last line the 4 left over; an animation's
// parts one after another, behind an empty line, its count and delays 8
// items a line. `line(items, last)` gives a line without its end; `last` is
// true for the final line. `label(part)`, when given, gives a line to put
// before a part, or nothing.
template <typename LineText>
std::string Shaped(std::span<const std::uint8_t> bytes, LineText line,
                   const std::function<std::string(const TablePart&)>& label = {})
{
    std::string text;
    const std::vector<TablePart> parts = PartsOf(bytes);
    for (std::size_t p = 0; p < parts.size(); ++p) {
        const TablePart& part = parts[p];
        if (p > 0)
            text += LineEnd;
        if (const std::string before = label ? label(part) : std::string(); !before.empty())
            text += before + std::string(LineEnd);
        const std::size_t run = part.images ? BlockBytes : 8;
        for (std::size_t block = 0; block * run < part.bytes.size(); ++block) {
            if (block > 0 && part.images)
                text += LineEnd;
            const std::span<const std::uint8_t> inBlock =
                part.bytes.subspan(block * run, std::min(run, part.bytes.size() - block * run));
            for (std::size_t first = 0; first < inBlock.size(); first += 8) {
                const std::span<const std::uint8_t> items =
                    inBlock.subspan(first, std::min<std::size_t>(8, inBlock.size() - first));
                const bool last = p + 1 == parts.size() && (block + 1) * run >= part.bytes.size() &&
                                  first + items.size() == inBlock.size();
                text += line(items, last);
                text += LineEnd;
            }
        }
    }
    return text;
}

// Upper-case hex digits, two of them.
std::string Hex2(std::uint8_t value);

// An item an Intel-syntax assembler reads as a number: a digit first, so A0H-FFH get a 0.
std::string DigitFirstItem(std::uint8_t value);
// An item as C and sdas8051 write it: 0xFF.
std::string CItem(std::uint8_t value);

// Items joined by `separator`, each made by `item`.
template <typename Item>
std::string Joined(std::span<const std::uint8_t> items, std::string_view separator, Item item)
{
    std::string out;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0)
            out += separator;
        out += item(items[k]);
    }
    return out;
}

struct Line {
    int number;  // from 1
    std::string_view text;
};
// Lines end at CR LF, a bare CR or a bare LF; a UTF-8 byte order mark is skipped.
std::vector<Line> SplitLines(std::string_view text);

// Tab, CR, LF and form feed are the only control bytes, and the rest is UTF-8.
bool IsText(std::string_view bytes);

std::string_view Trimmed(std::string_view text);
bool EqualNoCase(std::string_view a, std::string_view b);

// Numbers as the assemblers write them: 0FFH / FFH (H suffix, either case),
// 0xFF, 11111111B, decimal; a leading "#" is allowed. Values past 0xFFFF are
// kept at 0x10000, enough to call them too big.
std::optional<std::uint32_t> AssemblerNumber(std::string_view item);
// C integer constants: 0xFF, 0377 (octal), 255, 0b11111111, with u/U/l/L suffixes.
std::optional<std::uint32_t> CNumber(std::string_view item);

// Collects the bytes of a text table, exactly `count` of them (0: any count up
// to `most`), and holds the first fault found in it.
class ByteCollector {
public:
    explicit ByteCollector(std::size_t count, std::size_t most = 0) : count_(count), most_(count ? count : most)
    {
        bytes_.reserve(count);
    }
    // Adds `value`, written as `item` on line `line`; false once there is a fault.
    bool Add(std::uint32_t value, std::string_view item, int line);
    // A fault of the text itself, like an item that is not a number.
    void Fail(int line, const std::string& what);
    bool Failed() const { return !error_.empty(); }
    // The bytes, or the fault.
    Result<std::vector<std::uint8_t>> Finish();

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t count_;
    std::size_t most_;
    int lastDataLine_ = 0;
    std::string error_;
};

// The item as shown in a message: quoted, cut after 20 characters.
std::string Quoted(std::string_view item);

}  // namespace quillon::text
