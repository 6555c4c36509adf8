// Any bytes as a picture file: ReadPicture must not read outside them, must not
// throw, and its outcome must agree with the acceptance rule and with the
// bytes it claims to have read.
#include "fuzz_check.h"
#include "intake/bitmap_reader.h"

#include <cstddef>
#include <cstdint>

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const PictureRead read = ReadPicture(bytes);
    const BITMAPINFOHEADER& info = read.infoHeader;

    if (size < HeadersSize) {
        FUZZ_CHECK(read.outcome == PictureRead::Outcome::Unreadable, "%zu bytes cannot hold the headers", size);
        FUZZ_CHECK(!read.hasColourTable, "a colour table read from %zu bytes", size);
    }
    if (read.outcome == PictureRead::Outcome::Unreadable)
        FUZZ_CHECK(!read.problem.empty(), "an unreadable file without a reason");
    else
        FUZZ_CHECK(read.problem.empty(), "a reason given for a readable file: %s", read.problem.c_str());

    if (read.hasColourTable) {
        // Both entries come from 14 + biSize, inside the file.
        FUZZ_CHECK(info.biBitCount == 1, "colour table read for %d bits", int{info.biBitCount});
        const std::uint64_t at = 14 + std::uint64_t{info.biSize};
        FUZZ_CHECK(at + 8 <= size, "colour table at %llu of a %zu-byte file", static_cast<unsigned long long>(at),
                   size);
        FUZZ_CHECK(read.colourTable[0].rgbBlue == data[at] && read.colourTable[1].rgbReserved == data[at + 7],
                   "colour table not taken from offset %llu", static_cast<unsigned long long>(at));
    } else if (size >= HeadersSize && info.biBitCount == 1) {
        FUZZ_CHECK(read.outcome == PictureRead::Outcome::Unreadable, "a 1-bit file read without its colour table");
    }

    switch (read.outcome) {
        case PictureRead::Outcome::Accepted: {
            FUZZ_CHECK(IsAcceptable(info), "accepted %d x %d, %d bits", info.biWidth, info.biHeight,
                       int{info.biBitCount});
            FUZZ_CHECK(info.biCompression == 0, "accepted a compressed body (%u)", info.biCompression);
            FUZZ_CHECK(read.hasColourTable, "accepted without a colour table");
            FUZZ_CHECK(std::uint64_t{read.fileHeader.bfOffBits} + 16 * 32 <= size, "pixels at %u of a %zu-byte file",
                       read.fileHeader.bfOffBits, size);
            const MonoPicture& picture = read.picture;
            FUZZ_CHECK(picture.width == AcceptedWidth && picture.height == AcceptedHeight, "picture of %d x %d",
                       picture.width, picture.height);
            FUZZ_CHECK(picture.index.size() == std::size_t{AcceptedWidth} * AcceptedHeight, "%zu pixels",
                       picture.index.size());
            for (int y = 0; y < picture.height; ++y) {
                for (int x = 0; x < picture.width; ++x) {
                    // Row y is stored (31 - y) rows of 16 bytes from bfOffBits, leftmost pixel in the top bit.
                    const std::size_t at = read.fileHeader.bfOffBits + std::size_t{16} * (31 - y) + x / 8;
                    const int stored = (data[at] >> (7 - x % 8)) & 1;
                    FUZZ_CHECK(picture.IndexAt(x, y) == stored, "pixel (%d, %d) is %d, the file holds %d", x, y,
                               picture.IndexAt(x, y), stored);
                }
            }
            break;
        }
        case PictureRead::Outcome::Rejected:
            FUZZ_CHECK(!IsAcceptable(info), "rejected an acceptable header");
            FUZZ_CHECK(read.picture.index.empty(), "pixels kept for a rejected file");
            break;
        case PictureRead::Outcome::Unreadable:
            FUZZ_CHECK(read.picture.index.empty(), "pixels kept for an unreadable file");
            break;
    }
    return 0;
}
