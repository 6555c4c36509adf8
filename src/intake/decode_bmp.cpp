// Every kind of BMP a paint program writes, as artwork: 1, 2, 4 and 8 bits
// through a colour table, 16, 24 and 32 bits direct, RLE8 and RLE4, bit-field
// masks (with alpha), bottom-up and top-down rows, and every header from the
// 12-byte OS/2 one to the 124-byte fifth version. The exact 1-bit 122 x 32
// picture of the window still goes through ReadPicture, unchanged.
//
// Choices where files disagree: a colour index past the table is opaque
// black; pixels an RLE picture skips (by a delta or an early end of line) are
// transparent; a 16- or 32-bit pixel has alpha only when the header gives an
// alpha mask (bit fields; without them the fourth byte of 32 is ignored).
#include "intake/decode_limits.h"

#include <bit>
#include <cstring>

namespace quillon {

namespace {

enum Compression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, Jpeg = 4, Png = 5, AlphaBitFields = 6 };

Failure Truncated()
{
    return Failure{"the file ends before the picture does"};
}

std::uint32_t U16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return bytes[at] | static_cast<std::uint32_t>(bytes[at + 1]) << 8;
}
std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return U16(bytes, at) | U16(bytes, at + 2) << 16;
}

// One channel of a direct pixel: where its mask lies and how to widen or
// narrow it to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m)
    {
        if (mask != 0) {
            shift = std::countr_zero(mask);
            bits = 32 - std::countl_zero(mask) - shift;
        }
    }
    std::uint8_t Of(std::uint32_t pixel, std::uint8_t absent) const
    {
        if (bits == 0)
            return absent;
        const std::uint32_t value = (pixel & mask) >> shift;
        if (bits >= 8)
            return static_cast<std::uint8_t>(value >> (bits - 8));
        // The bits repeated downwards, as other readers widen them.
        std::uint32_t wide = 0;
        for (int at = 8 - bits; at > -bits; at -= bits)
            wide |= at >= 0 ? value << at : value >> -at;
        return static_cast<std::uint8_t>(wide);
    }
};

struct Layout {
    std::uint32_t pixelsAt = 0;
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // positive; see topDown
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = Rgb;
    Channel red, green, blue, alpha;
    std::vector<std::array<std::uint8_t, 4>> table;  // RGBA
};

// The info header's fields: size, depth, compression, the colours used.
Result<void> ReadSizes(std::span<const std::uint8_t> bytes, Layout& layout, std::uint32_t& colours)
{
    if (bytes.size() < 18)
        return Truncated();
    layout.pixelsAt = U32(bytes, 10);
    const std::uint32_t size = layout.headerSize = U32(bytes, 14);
    const bool core = size == 12;
    if (!(core || size == 16 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124))
        return Failure{"a BMP header of " + std::to_string(size) + " bytes is not one this tool knows"};
    if (bytes.size() < 14 + std::size_t{size})
        return Truncated();
    if (core) {
        layout.width = U16(bytes, 18);
        layout.height = static_cast<std::int16_t>(U16(bytes, 20));
        layout.bits = static_cast<int>(U16(bytes, 24));
    } else {
        layout.width = static_cast<std::int32_t>(U32(bytes, 18));
        layout.height = static_cast<std::int32_t>(U32(bytes, 22));
        layout.bits = static_cast<int>(U16(bytes, 28));
        if (size >= 40) {
            layout.compression = U32(bytes, 30);
            colours = U32(bytes, 46);
        }
    }
    // OS/2's 64-byte header numbers its own compressions 3 and 4 (Huffman, RLE24).
    if (size == 64 && (layout.compression == 3 || layout.compression == 4))
        return Failure{"OS/2 Huffman and RLE24 compressed BMP pictures are not supported"};
    layout.topDown = layout.height < 0;
    layout.height = layout.topDown ? -layout.height : layout.height;
    if (layout.width < 0)
        return Failure{"the BMP header gives a negative width"};
    // RLE rows come in any order and may skip pixels: such a picture is held whole.
    const bool rle = layout.compression == Rle8 || layout.compression == Rle4;
    if (Result<void> fits = CheckPictureSize(layout.width, layout.height, rle ? MaxPicturePixels : MaxStreamedPixels);
        !fits)
        return fits;

    const int bits = layout.bits;
    const std::uint32_t kind = layout.compression;
    if (kind == Jpeg || kind == Png)
        return Failure{"a BMP holding a JPEG or PNG inside is not supported"};
    const bool supported =
        (kind == Rgb && (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
        (kind == Rle8 && bits == 8) || (kind == Rle4 && bits == 4) ||
        ((kind == BitFields || kind == AlphaBitFields) && (bits == 16 || bits == 32));
    if (!supported)
        return Failure{"a BMP of " + std::to_string(bits) + " bits a pixel with compression " + std::to_string(kind) +
                       " is not supported"};
    if (layout.topDown && (kind == Rle8 || kind == Rle4))
        return Failure{"a top-down BMP cannot be RLE compressed"};
    return {};
}

// The colour masks of 16- and 32-bit pixels: in the header from 52 bytes on,
// else just behind it, or the defaults. Where the colour table starts.
Result<std::size_t> ReadMasks(std::span<const std::uint8_t> bytes, Layout& layout)
{
    const std::uint32_t size = layout.headerSize;
    const int bits = layout.bits;
    const std::uint32_t kind = layout.compression;
    std::size_t tableAt = 14 + std::size_t{size};
    std::uint32_t masks[4] = {0, 0, 0, 0};
    if (kind == BitFields || kind == AlphaBitFields) {
        const int count = kind == AlphaBitFields ? 4 : 3;
        const std::size_t masksAt = size >= 52 ? 54 : tableAt;
        if (size < 52)
            tableAt += 4 * std::size_t(count);
        if (bytes.size() < masksAt + 4 * std::size_t(count))
            return Truncated();
        for (int k = 0; k < count; ++k)
            masks[k] = U32(bytes, masksAt + 4 * std::size_t(k));
    } else if (bits == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    // A header's masks count only with bit fields, as Windows reads them.
    if (size >= 56 && kind == BitFields)
        masks[3] = U32(bytes, 66);
    if (bits >= 16 && bits != 24 && (masks[0] | masks[1] | masks[2]) == 0)
        return Failure{"the BMP's colour masks are all empty"};
    layout.red = Channel(masks[0]), layout.green = Channel(masks[1]), layout.blue = Channel(masks[2]);
    layout.alpha = Channel(masks[3]);

    return tableAt;
}

// The colour table of a picture of up to 8 bits a pixel.
Result<void> ReadTable(std::span<const std::uint8_t> bytes, Layout& layout, std::size_t tableAt, std::uint32_t colours)
{
    const bool core = layout.headerSize == 12;
    const int bits = layout.bits;
    if (bits <= 8) {
        const std::size_t entrySize = core ? 3 : 4;
        std::size_t count = std::size_t{1} << bits;
        if (colours != 0 && colours < count)
            count = colours;
        // A table may stop short where the pixels begin.
        if (layout.pixelsAt > tableAt)
            count = std::min(count, (layout.pixelsAt - tableAt) / entrySize);
        if (bytes.size() < tableAt + count * entrySize)
            return Truncated();
        for (std::size_t k = 0; k < count; ++k) {
            const std::uint8_t* entry = bytes.data() + tableAt + k * entrySize;
            layout.table.push_back({entry[2], entry[1], entry[0], 255});
        }
    }
    return {};
}

Result<void> ReadHeaders(std::span<const std::uint8_t> bytes, Layout& layout)
{
    std::uint32_t colours = 0;
    if (Result<void> sizes = ReadSizes(bytes, layout, colours); !sizes)
        return sizes;
    const Result<std::size_t> tableAt = ReadMasks(bytes, layout);
    if (!tableAt)
        return Failure{tableAt.Error()};
    return ReadTable(bytes, layout, *tableAt, colours);
}

void PutIndex(const Layout& layout, std::uint8_t* pixel, std::size_t index)
{
    static constexpr std::array<std::uint8_t, 4> Black{0, 0, 0, 255};
    const std::array<std::uint8_t, 4>& colour = index < layout.table.size() ? layout.table[index] : Black;
    std::memcpy(pixel, colour.data(), 4);
}

// Whether the file is long enough for its rows; the last row's padding may be
// missing, its pixels may not.
bool HoldsRows(std::span<const std::uint8_t> bytes, const Layout& layout)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.bits);
    const std::uint64_t stride = (bits + 31) / 32 * 4;
    const std::uint64_t lastRow = (bits + 7) / 8;
    return bytes.size() >= layout.pixelsAt && bytes.size() - layout.pixelsAt >= lastRow &&
           (bytes.size() - layout.pixelsAt - lastRow) / stride >= static_cast<std::uint64_t>(layout.height - 1);
}

void ReadRows(std::span<const std::uint8_t> bytes, const Layout& layout, PictureSink& sink)
{
    const std::uint64_t width = static_cast<std::uint64_t>(layout.width);
    const std::uint64_t stride = (width * static_cast<std::uint64_t>(layout.bits) + 31) / 32 * 4;
    const int bits = layout.bits;
    std::vector<std::uint8_t> pixels(width * 4);
    // Top row first, wherever the file keeps it.
    for (std::int64_t y = 0; y < layout.height; ++y) {
        const std::int64_t row = layout.topDown ? y : layout.height - 1 - y;
        const std::uint8_t* in = bytes.data() + layout.pixelsAt + row * stride;
        std::uint8_t* out = pixels.data();
        for (std::uint64_t x = 0; x < width; ++x, out += 4) {
            if (bits <= 8) {
                const std::uint64_t bit = x * bits;
                const unsigned index = (in[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                PutIndex(layout, out, index);
                continue;
            }
            if (bits == 24) {
                const std::uint8_t* p = in + x * 3;
                out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = 255;
                continue;
            }
            const std::uint32_t pixel =
                bits == 16 ? U16(bytes, in - bytes.data() + x * 2) : U32(bytes, in - bytes.data() + x * 4);
            out[0] = layout.red.Of(pixel, 0);
            out[1] = layout.green.Of(pixel, 0);
            out[2] = layout.blue.Of(pixel, 0);
            out[3] = layout.alpha.Of(pixel, 255);
        }
        sink.Row(static_cast<int>(y), pixels.data());
    }
}

// RLE8 and RLE4: runs of one index (two alternating ones for RLE4), literal
// runs padded to 16 bits, and escapes for end of line, end of picture and a
// jump ahead. Rows go bottom-up; anything outside the picture is dropped.
Result<void> ReadRle(std::span<const std::uint8_t> bytes, const Layout& layout, PictureImage& picture)
{
    const bool four = layout.compression == Rle4;
    const std::int64_t width = layout.width;
    std::size_t at = layout.pixelsAt;
    std::int64_t x = 0;
    std::int64_t row = 0;  // from the bottom
    auto put = [&](unsigned index) {
        if (x < width && row < layout.height)
            PutIndex(layout, picture.rgba.data() + ((layout.height - 1 - row) * width + x) * 4, index);
        ++x;
    };
    while (row < layout.height) {
        if (at + 2 > bytes.size())
            return Truncated();
        const unsigned count = bytes[at], value = bytes[at + 1];
        at += 2;
        if (count > 0) {
            const unsigned drawn =
                static_cast<unsigned>(std::min<std::int64_t>(count, std::max<std::int64_t>(width - x, 0)));
            for (unsigned k = 0; k < drawn; ++k)
                put(four ? (k % 2 == 0 ? value >> 4 : value & 15) : value);
            x += count - drawn;
        } else if (value == 0) {
            x = 0, ++row;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (at + 2 > bytes.size())
                return Truncated();
            x += bytes[at], row += bytes[at + 1];
            at += 2;
        } else {
            const std::size_t length = four ? (value + 1) / 2 : value;
            if (at + length > bytes.size())
                return Truncated();
            for (unsigned k = 0; k < value; ++k) {
                const unsigned byte = bytes[at + (four ? k / 2 : k)];
                put(four ? (k % 2 == 0 ? byte >> 4 : byte & 15) : byte);
            }
            at += (length + 1) / 2 * 2;
        }
    }
    return {};
}

}  // namespace

Result<void> DecodeBmp(ByteSource& source, const DecodeOptions&, PictureSink& sink)
{
    const Result<std::vector<std::uint8_t>> file = ReadWhole(source);
    if (!file)
        return Failure{file.Error()};
    const std::span<const std::uint8_t> bytes(*file);
    Layout layout;
    if (Result<void> read = ReadHeaders(bytes, layout); !read)
        return read;
    if (layout.compression != Rle8 && layout.compression != Rle4) {
        if (!HoldsRows(bytes, layout))
            return Truncated();
        if (Result<void> started = sink.Start(static_cast<int>(layout.width), static_cast<int>(layout.height));
            !started)
            return started;
        ReadRows(bytes, layout, sink);
        return {};
    }
    PictureImage picture = BlankPicture(static_cast<int>(layout.width), static_cast<int>(layout.height));
    if (Result<void> read = ReadRle(bytes, layout, picture); !read)
        return read;
    return FeedPicture(picture, sink);
}

}  // namespace quillon
