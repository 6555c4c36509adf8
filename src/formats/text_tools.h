// What the text formats share: their common shape when written, and cutting
// lines, numbers and byte counts when read.
#pragma once

#include "common/display.h"
#include "formats/formats.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::text {

inline constexpr std::string_view LineEnd = "\r\n";

// The listing's shape: per block (each after the first behind one empty line)
// lines of 8 items, the block's last line the 4 left over. `line(items, last)`
// gives a line without its end; `last` is true for the final line.
template <typename LineText>
std::string Shaped(std::span<const std::uint8_t> bytes, LineText line)
{
    std::string text;
    for (std::size_t block = 0; block * BlockBytes < bytes.size(); ++block) {
        if (block > 0)
            text += LineEnd;
        const std::span<const std::uint8_t> inBlock = bytes.subspan(block * BlockBytes, std::min(BlockBytes, bytes.size() - block * BlockBytes));
        for (std::size_t first = 0; first < inBlock.size(); first += 8) {
            const std::span<const std::uint8_t> items = inBlock.subspan(first, std::min<std::size_t>(8, inBlock.size() - first));
            text += line(items, (block + 1) * BlockBytes >= bytes.size() && first + items.size() == inBlock.size());
            text += LineEnd;
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

// Collects the bytes of a text table, exactly `count` of them, and holds the
// first fault found in it.
class ByteCollector {
public:
    explicit ByteCollector(std::size_t count) : count_(count) { bytes_.reserve(count); }
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
    int lastDataLine_ = 0;
    std::string error_;
};

// The item as shown in a message: quoted, cut after 20 characters.
std::string Quoted(std::string_view item);

}  // namespace quillon::text
