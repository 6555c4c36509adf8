// Any bytes through format detection: the format named must fit the rules in
// formats/formats.h, its reader must take the bytes without a fault, and what
// it reads, written again in that format, must be told as a format that reads
// back the same dots.
#include "formats/formats.h"
#include "formats/text_tools.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Format* format = DetectFormat(bytes);
    const bool text = text::IsText(bytes);
    if (!format) {
        FUZZ_CHECK(size != DisplayBytes, "488 bytes not told as bin");
        return 0;
    }
    const std::string_view name = format->name;
    if (name == "bmp")
        FUZZ_CHECK(bytes.starts_with("BM"), "bmp without \"BM\"");
    else if (name == "bin")
        FUZZ_CHECK(size == DisplayBytes, "bin of %zu bytes", size);
    else
        FUZZ_CHECK(text, "%.*s told from bytes that are not text", int(name.size()), name.data());

    const ReadResult read = format->Read(bytes);
    const ReadResult any = ReadAnyFormat(bytes);
    FUZZ_CHECK(read.Error() == any.Error() && (!read.Ok() || *read == *any), "ReadAnyFormat reads otherwise");
    if (!read.Ok())
        return 0;
    // bin is told from its size only when it is not text: its written bytes
    // can be anything, so they are read back by bin itself.
    const std::string written = format->Write(*read, WriteOptions{});
    const Format* again = name == "bin" ? format : DetectFormat(written);
    FUZZ_CHECK(again, "%.*s written is told as no format", int(name.size()), name.data());
    const ReadResult back = again->Read(written);
    FUZZ_CHECK(back.Ok() && *back == *read, "%.*s written, read as %.*s, gives other dots: %s", int(name.size()),
               name.data(), int(again->name.size()), again->name.data(), back.Error().c_str());
    return 0;
}
