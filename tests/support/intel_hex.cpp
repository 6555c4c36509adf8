#include "intel_hex.h"

#include <algorithm>
#include <cctype>

namespace quillon::test {

std::optional<std::map<std::uint32_t, std::uint8_t>> ParseIntelHex(const QByteArray& text, QString& error)
{
    std::map<std::uint32_t, std::uint8_t> memory;
    std::uint32_t upper = 0;
    int number = 0;
    for (QByteArray line : text.split('\n')) {
        ++number;
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        const auto fail = [&](const char* why) {
            error = QStringLiteral("line %1 (%2): %3").arg(number).arg(QString::fromLatin1(line)).arg(why);
            return std::nullopt;
        };
        if (line[0] != ':')
            return fail("no ':'");
        const QByteArray digits = line.mid(1);
        const bool ok = std::all_of(digits.begin(), digits.end(),
                                    [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
        const QByteArray bytes = QByteArray::fromHex(digits);
        if (!ok || line.size() % 2 != 1 || bytes.size() < 5)
            return fail("not an even count of hex digits");
        const auto at = [&](int k) { return static_cast<std::uint8_t>(bytes[k]); };
        if (at(0) + 5 != bytes.size())
            return fail("length disagrees");
        std::uint8_t sum = 0;
        for (const char b : bytes)
            sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(b));
        if (sum != 0)
            return fail("wrong checksum");
        const std::uint32_t offset = (at(1) << 8) | at(2);
        switch (at(3)) {
            case 0:
                for (int k = 0; k < at(0); ++k) {
                    if (!memory.emplace(upper + offset + static_cast<std::uint32_t>(k), at(4 + k)).second)
                        return fail("address written twice");
                }
                break;
            case 1:
                return memory;
            case 2:
                upper = static_cast<std::uint32_t>((at(4) << 8) | at(5)) << 4;
                break;
            case 4:
                upper = static_cast<std::uint32_t>((at(4) << 8) | at(5)) << 16;
                break;
            case 3:
            case 5:  // start address: no data
                break;
            default:
                return fail("unknown record type");
        }
    }
    error = QStringLiteral("no end record");
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> BytesAt(const std::map<std::uint32_t, std::uint8_t>& memory,
                                                 std::uint32_t address, std::size_t count)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t k = 0; k < count; ++k) {
        const auto found = memory.find(address + static_cast<std::uint32_t>(k));
        if (found == memory.end())
            return std::nullopt;
        bytes.push_back(found->second);
    }
    return bytes;
}

}  // namespace quillon::test
