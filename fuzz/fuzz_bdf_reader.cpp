// Any bytes as a BDF font: the reader must not read outside them, throw or
// take unbounded memory, and a font it reads must draw alike in the core and
// in examples/font's C89 renderer.
#include "font_check.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const text::FontRequest request = fuzz::Request(0);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::CheckFont(text::ReadBdf(bytes, request), request);
    return 0;
}
