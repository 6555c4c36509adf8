// Any bytes told by content and read by the one route (engine/): what the
// file is told as must fit the rules (a picture by its kind's signature,
// before anything else; a table by its format's rule; a 488-byte file is a bin
// table only when it is nothing else), the route must take the bytes without
// a fault, and what it reads, written again, must be told as something that
// reads back the same dots.
#include "engine/dots.h"
#include "formats/text_tools.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace quillon;

namespace {

Result<FileDots> Read(std::string_view bytes)
{
    MemorySource source(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    return DotsOfFile(source, PictureOptions{});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Identity identity = Identify(bytes);
    if (identity.picture) {
        FUZZ_CHECK(identity.picture->told(std::span(data, std::min(size, identity.picture->headBytes))) ||
                       identity.picture->name == "BMP",
                   "told as %s without its signature", identity.picture->name.data());
    } else if (!identity.table) {
        FUZZ_CHECK(size != DisplayBytes, "488 bytes told as nothing");
    } else if (identity.table->name == "bin") {
        FUZZ_CHECK(size == DisplayBytes, "bin of %zu bytes", size);
    } else {
        FUZZ_CHECK(text::IsText(bytes), "%s told from bytes that are not text", identity.table->name.data());
    }
    const Result<FileDots> read = Read(bytes);
    if (!read) {
        FUZZ_CHECK(!read.Error().empty(), "a failed reading that says nothing");
        return 0;
    }
    // A picture's dots come back from the bmp format; a table's from its own,
    // told again from what it wrote (bin, told by its size only, read by bin).
    const Format& format = identity.table ? *identity.table : *FindFormat("bmp");
    const std::string written = format.Write(read->image, WriteOptions{});
    const ReadResult back = format.name == "bin" ? format.Read(written) : Result<DisplayImage>(Failure{});
    const Result<FileDots> again = format.name == "bin" ? Result<FileDots>(FileDots{*back, {}, false, {}}) : Read(written);
    FUZZ_CHECK(again && again->image == read->image, "%s written gives other dots: %s", format.name.data(),
               again.Error().c_str());
    return 0;
}
