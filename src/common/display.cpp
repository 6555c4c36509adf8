#include "common/display.h"

namespace quillon {

void DisplayImage::SetDot(int x, int y, bool lit)
{
    const auto bit = static_cast<std::uint8_t>(1u << (y % 8));
    std::uint8_t& byte = bytes_[ByteIndex(x, y)];
    byte = lit ? static_cast<std::uint8_t>(byte | bit) : static_cast<std::uint8_t>(byte & ~bit);
}

void DisplayImage::Invert()
{
    for (std::uint8_t& byte : bytes_)
        byte = static_cast<std::uint8_t>(~byte);
}

}  // namespace quillon
