// Reads the Intel HEX files that assemblers and linkers write, for comparing
// what they placed in code memory.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace quillon::test {

// Address -> byte of every data record (types 00; 01 ends, 02 and 04 set the
// upper address, 03 and 05 are skipped), or nothing with `error` naming the line of a bad record:
// no ":", odd or non-hex digits, a length that disagrees, a wrong checksum,
// an unknown type, an address written twice, or no end record.
std::optional<std::map<std::uint32_t, std::uint8_t>> ParseIntelHex(const QByteArray& text, QString& error);

// `count` bytes from `address` on; a byte that no record wrote makes it fail.
std::optional<std::vector<std::uint8_t>> BytesAt(const std::map<std::uint32_t, std::uint8_t>& memory,
                                                 std::uint32_t address, std::size_t count);

}  // namespace quillon::test
