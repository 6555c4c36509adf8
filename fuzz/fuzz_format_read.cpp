// Any bytes through one format's reader (FUZZ_FORMAT, set by the build: one
// target per row of the format table). It must not fault; a failure must say
// why; dots it reads, written in the same format with or without a label, must
// read back the same.
#include "formats/formats.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Format* const format = FindFormat(FUZZ_FORMAT);
    FUZZ_CHECK(format, "no format %s", FUZZ_FORMAT);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ReadResult read = format->Read(bytes);
    if (!read.Ok()) {
        FUZZ_CHECK(!read.Error().empty(), "a failed reading that says nothing");
        return 0;
    }
    for (const char* label : {"", "logo"}) {
        if (*label && !format->takesLabel)
            continue;
        const std::string written = format->Write(*read, WriteOptions{label, "logo.bmp"});
        const ReadResult back = format->Read(written);
        FUZZ_CHECK(back.Ok() && *back == *read, "written with label \"%s\", read back otherwise: %s", label,
                   back.Error().c_str());
    }
    return 0;
}
