#include "formats/text_tools.h"

#include <algorithm>

namespace quillon::text {

namespace {

constexpr std::uint32_t TooBig = 0x10000;

std::optional<std::uint32_t> Digits(std::string_view digits, std::uint32_t base)
{
    if (digits.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : digits) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            return std::nullopt;
        if (digit >= base)
            return std::nullopt;
        value = std::min(value * base + digit, TooBig);
    }
    return value;
}

bool StartsNoCase(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && EqualNoCase(text.substr(0, start.size()), start);
}

}  // namespace

std::vector<TablePart> PartsOf(std::span<const std::uint8_t> bytes)
{
    if (!IsAnimation(bytes))
        return {TablePart{{}, bytes, true}};
    const std::size_t count = bytes[0] | std::size_t{bytes[1]} << 8;
    return {TablePart{"count", bytes.first(2), false}, TablePart{"delays", bytes.subspan(2, 2 * count), false},
            TablePart{"frames", bytes.subspan(2 + 2 * count), true}};
}

std::string Hex2(std::uint8_t value)
{
    static constexpr char HexDigits[] = "0123456789ABCDEF";
    return {HexDigits[value >> 4], HexDigits[value & 15]};
}

std::string DigitFirstItem(std::uint8_t value)
{
    std::string item = value >= 0xA0 ? "0" : "";
    return item.append(Hex2(value)).append("H");
}

std::string CItem(std::uint8_t value)
{
    return "0x" + Hex2(value);
}

std::vector<Line> SplitLines(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<Line> lines;
    int number = 1;
    std::size_t start = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] != '\r' && text[k] != '\n')
            continue;
        lines.push_back({number++, text.substr(start, k - start)});
        if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n')
            ++k;
        start = k + 1;
    }
    if (start < text.size())
        lines.push_back({number, text.substr(start)});
    return lines;
}

bool IsText(std::string_view bytes)
{
    std::size_t k = 0;
    while (k < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[k]);
        if (c < 0x80) {
            if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f') || c == 0x7F)
                return false;
            ++k;
            continue;
        }
        // A UTF-8 sequence: a lead byte and its continuation bytes.
        const std::size_t length = c >= 0xC2 && c <= 0xDF   ? 2
                                   : c >= 0xE0 && c <= 0xEF ? 3
                                   : c >= 0xF0 && c <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || k + length > bytes.size())
            return false;
        for (std::size_t m = 1; m < length; ++m) {
            if ((static_cast<unsigned char>(bytes[k + m]) & 0xC0) != 0x80)
                return false;
        }
        k += length;
    }
    return true;
}

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\f'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::optional<std::uint32_t> AssemblerNumber(std::string_view item)
{
    if (item.starts_with('#'))
        item.remove_prefix(1);
    if (item.empty())
        return std::nullopt;
    if (StartsNoCase(item, "0x"))
        return Digits(item.substr(2), 16);
    const char last = item.back();
    if (last == 'H' || last == 'h')
        return Digits(item.substr(0, item.size() - 1), 16);
    if (last == 'B' || last == 'b')
        return Digits(item.substr(0, item.size() - 1), 2);
    if (last == 'D' || last == 'd')
        return Digits(item.substr(0, item.size() - 1), 10);
    return Digits(item, 10);
}

std::optional<std::uint32_t> CNumber(std::string_view item)
{
    while (!item.empty() && (item.back() == 'u' || item.back() == 'U' || item.back() == 'l' || item.back() == 'L'))
        item.remove_suffix(1);
    if (StartsNoCase(item, "0x"))
        return Digits(item.substr(2), 16);
    if (StartsNoCase(item, "0b"))
        return Digits(item.substr(2), 2);
    if (item.size() > 1 && item.front() == '0')
        return Digits(item.substr(1), 8);
    return Digits(item, 10);
}

bool ByteCollector::Add(std::uint32_t value, std::string_view item, int line)
{
    if (Failed())
        return false;
    if (value > 255) {
        Fail(line, Quoted(item) + " is over 255 (FFH).");
        return false;
    }
    if (bytes_.size() == most_) {
        Fail(line, count_ ? "more than " + std::to_string(count_) + " bytes; the display takes exactly " +
                                std::to_string(count_) + "."
                          : "more than " + std::to_string(most_) + " bytes, more than a table holds.");
        return false;
    }
    bytes_.push_back(static_cast<std::uint8_t>(value));
    lastDataLine_ = line;
    return true;
}

void ByteCollector::Fail(int line, const std::string& what)
{
    if (!Failed())
        error_ = "Line " + std::to_string(line) + ": " + what;
}

Result<std::vector<std::uint8_t>> ByteCollector::Finish()
{
    const std::string wanted = std::to_string(count_);
    if (!Failed() && (count_ ? bytes_.size() != count_ : bytes_.empty())) {
        error_ = bytes_.empty()
                     ? "No data: the display takes exactly " + std::to_string(DisplayBytes) + " bytes."
                     : "The data ends at line " + std::to_string(lastDataLine_) + " after " +
                           std::to_string(bytes_.size()) + " bytes; the display takes exactly " + wanted + ".";
    }
    if (Failed())
        return Failure{error_};
    return std::move(bytes_);
}

std::string Quoted(std::string_view item)
{
    std::string quoted = "\"";
    quoted.append(item.substr(0, 20)).append(item.size() > 20 ? "...\"" : "\"");
    return quoted;
}

}  // namespace quillon::text
