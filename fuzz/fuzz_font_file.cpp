// Any bytes as a font file through FreeType (PCF, PCF.gz, TrueType, OpenType,
// ...), the first byte choosing the pixel size: no crash, no memory past
// FreeType's pool, and what it reads draws alike in the core and in C89.
#include "font_check.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const text::FontRequest request = fuzz::Request(data[0] % 40);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    fuzz::CheckFont(text::ReadFont(bytes, request), request);
    return 0;
}
