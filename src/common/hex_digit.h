// The value of one hexadecimal digit, as the listing and BDF readers read them.
#pragma once

namespace quillon {

// 0 .. 15 for a hexadecimal digit in either case, otherwise -1.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace quillon
