// Any bytes as a picture file through ReadPictureImage, the way convert and the
// bmp format read a picture: it reads what ReadPicture accepts, nothing else;
// with two colours in the table --inverse lights exactly the other dots, with
// one colour both light every dot.
#include "formats/formats.h"
#include "fuzz_check.h"
#include "intake/bitmap_reader.h"

#include <cstddef>
#include <cstdint>

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ReadResult normal = ReadPictureImage(bytes, false);
    const ReadResult inverse = ReadPictureImage(bytes, true);
    const PictureRead picture = ReadPicture(std::span(data, size));
    const bool accepted = picture.outcome == PictureRead::Outcome::Accepted;
    FUZZ_CHECK(normal.Ok() == accepted && inverse.Ok() == accepted, "read %d, inverse %d, accepted %d", normal.Ok(),
               inverse.Ok(), accepted);
    FUZZ_CHECK(normal.Error() == inverse.Error(), "the two readings fail otherwise");
    if (!accepted)
        return 0;
    const bool oneColour = ColourOf(picture.picture.table[0]) == ColourOf(picture.picture.table[1]);
    for (std::size_t k = 0; k < DisplayBytes; ++k) {
        const std::uint8_t expected = oneColour ? 0xFF : static_cast<std::uint8_t>(~normal->Byte(k));
        FUZZ_CHECK(inverse->Byte(k) == expected, "byte %zu: %02X, inverse %02X", k, normal->Byte(k), inverse->Byte(k));
        if (oneColour)
            FUZZ_CHECK(normal->Byte(k) == 0xFF, "one colour, byte %zu is %02X", k, normal->Byte(k));
    }
    return 0;
}
