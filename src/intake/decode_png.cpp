// PNG through libspng: every colour type and bit depth, interlaced or not,
// tRNS transparency applied, 16-bit samples rounded to 8. Rows are decoded one
// at a time into the picture, so nothing but the picture is as large as it.
#include "common/spng_library.h"
#include "intake/decode_limits.h"

#include <cstring>
#include <memory>

namespace quillon {

namespace {

// Chunks before the pixels (text, ICC profiles) are read but not used; these
// keep what they may hold small.
constexpr std::size_t ChunkLimit = 1 << 20;
constexpr std::size_t ChunkCacheLimit = 2 << 20;

Failure PngFailure(const Loaded<Spng>& api, int error)
{
    switch (error) {
        case SPNG_EOF:
        case SPNG_IO_EOF:
        case SPNG_EIDAT_TOO_SHORT:
            return Failure{"the file ends before the picture does"};
        case SPNG_ECHUNK_CRC:
            return Failure{"a PNG chunk's checksum (CRC) is wrong: the file is damaged"};
        case SPNG_ECHUNK_LIMITS:
            return Failure{"a PNG chunk is larger than the " + std::to_string(ChunkLimit >> 20) +
                           " MiB this tool takes"};
        case SPNG_EUSER_WIDTH:
        case SPNG_EUSER_HEIGHT:
            return Failure{"the picture is larger than the " + std::to_string(MaxPicturePixels / 1'000'000) +
                           " million pixels this tool takes"};
        default:
            return Failure{std::string("damaged PNG: ") + api->spng_strerror(error)};
    }
}

std::uint8_t Round16(const std::uint8_t* sample)
{
    // spng gives 16-bit samples in the machine's byte order.
    std::uint16_t value;
    std::memcpy(&value, sample, 2);
    return static_cast<std::uint8_t>((std::uint32_t{value} * 255 + 32767) / 65535);
}

}  // namespace

Result<PictureImage> DecodePng(std::span<const std::uint8_t> bytes)
{
    const Loaded<Spng>& api = LoadSpng();
    if (!api)
        return Failure{api.problem};
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> context(api->spng_ctx_new(0), api->spng_ctx_free);
    if (!context)
        return Failure{"out of memory"};
    spng_ctx* png = context.get();
    api->spng_set_image_limits(png, MaxPicturePixels, MaxPicturePixels);
    api->spng_set_chunk_limits(png, ChunkLimit, ChunkCacheLimit);
    api->spng_set_crc_action(png, SPNG_CRC_ERROR, SPNG_CRC_ERROR);
    if (int error = api->spng_set_png_buffer(png, bytes.data(), bytes.size()))
        return PngFailure(api, error);

    spng_ihdr header{};
    if (int error = api->spng_get_ihdr(png, &header))
        return PngFailure(api, error);
    if (std::optional<Failure> failure = CheckPictureSize(header.width, header.height))
        return *failure;

    // Beside the picture, spng's scanlines and our row take up to 32 bytes a column.
    if (std::uint64_t{header.width} * header.height * 4 + std::uint64_t{header.width} * 32 > DecodeMemoryBudget)
        return Failure{"rows of " + std::to_string(header.width) + " pixels need more memory than the " +
                       std::to_string(DecodeMemoryBudget >> 20) + " MiB this tool allows"};

    const bool deep = header.bit_depth == 16;
    const int format = deep ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
    const std::size_t pixelSize = deep ? 8 : 4;
    if (int error = api->spng_decode_image(png, nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE))
        return PngFailure(api, error);

    PictureImage picture = BlankPicture(static_cast<int>(header.width), static_cast<int>(header.height));
    std::vector<std::uint8_t> row(header.width * pixelSize);
    const bool interlaced = header.interlace_method != SPNG_INTERLACE_NONE;
    static constexpr int FirstColumn[7] = {0, 4, 0, 2, 0, 1, 0};
    static constexpr int ColumnStep[7] = {8, 8, 4, 4, 2, 2, 1};
    for (;;) {
        spng_row_info info{};
        if (int error = api->spng_get_row_info(png, &info))
            return PngFailure(api, error);
        const int status = api->spng_decode_row(png, row.data(), row.size());
        if (status != 0 && status != SPNG_EOI)
            return PngFailure(api, status);
        // An interlaced pass fills only its own columns of the row.
        const int first = interlaced ? FirstColumn[info.pass] : 0;
        const int step = interlaced ? ColumnStep[info.pass] : 1;
        std::uint8_t* out = picture.rgba.data() + std::size_t{info.row_num} * header.width * 4;
        for (std::size_t x = first; x < header.width; x += step) {
            const std::uint8_t* in = row.data() + x * pixelSize;
            for (int k = 0; k < 4; ++k)
                out[x * 4 + k] = deep ? Round16(in + 2 * k) : in[k];
        }
        if (status == SPNG_EOI)
            break;
    }
    return picture;
}

}  // namespace quillon
