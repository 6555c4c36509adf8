// PNG through libspng: every colour type and bit depth, interlaced or not,
// tRNS transparency applied, 16-bit samples rounded to 8. The file is read as
// it is decoded and each row handed on as it is made, so a picture that is not
// interlaced is never held whole.
#include "common/spng_library.h"
#include "intake/decode_limits.h"

#include <cstring>
#include <memory>
#include <string>

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
            return Failure{"a side of the picture is longer than the " + std::to_string(MaxPictureSide) +
                           " pixels this tool takes"};
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

void ToRgba8(const std::uint8_t* in, bool deep, std::uint8_t* out)
{
    for (int k = 0; k < 4; ++k)
        out[k] = deep ? Round16(in + 2 * k) : in[k];
}

// The file read through a source; spng asks for exact counts of bytes.
struct Stream {
    ByteSource& source;
    std::string problem;  // why the source could not be read
};

int ReadStream(spng_ctx*, void* user, void* into, std::size_t length)
{
    auto* stream = static_cast<Stream*>(user);
    auto* at = static_cast<std::uint8_t*>(into);
    while (length > 0) {
        const Result<std::size_t> got = stream->source.Read(at, length);
        if (!got) {
            stream->problem = got.Error();
            return SPNG_IO_ERROR;
        }
        if (*got == 0)
            return SPNG_IO_EOF;
        at += *got;
        length -= *got;
    }
    return 0;
}

// The source's own words when it could not be read, else libspng's error.
Failure PngFailure(const Loaded<Spng>& api, int error, const Stream& stream)
{
    if (error == SPNG_IO_ERROR && !stream.problem.empty())
        return Failure{stream.problem};
    return PngFailure(api, error);
}

}  // namespace

Result<void> DecodePng(ByteSource& source, const DecodeOptions&, PictureSink& sink)
{
    const Loaded<Spng>& api = LoadSpng();
    if (!api)
        return Failure{api.problem};
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> context(api->spng_ctx_new(0), api->spng_ctx_free);
    if (!context)
        return Failure{"out of memory"};
    spng_ctx* png = context.get();
    api->spng_set_image_limits(png, MaxPictureSide, MaxPictureSide);
    api->spng_set_chunk_limits(png, ChunkLimit, ChunkCacheLimit);
    api->spng_set_crc_action(png, SPNG_CRC_ERROR, SPNG_CRC_ERROR);
    Stream stream{source, {}};
    if (int error = api->spng_set_png_stream(png, ReadStream, &stream))
        return PngFailure(api, error, stream);

    spng_ihdr header{};
    if (int error = api->spng_get_ihdr(png, &header))
        return PngFailure(api, error, stream);
    const bool interlaced = header.interlace_method != SPNG_INTERLACE_NONE;
    // An interlaced picture's passes each fill part of every row: it is held
    // whole until the last one.
    if (Result<void> fits =
            CheckPictureSize(header.width, header.height, interlaced ? MaxPicturePixels : MaxStreamedPixels);
        !fits)
        return fits;
    // Beside the picture, spng's scanlines and our rows take up to 40 bytes a column.
    const std::uint64_t held = interlaced ? std::uint64_t{header.width} * header.height * 4 : 0;
    if (held + std::uint64_t{header.width} * 40 > DecodeMemoryBudget)
        return Failure{"rows of " + std::to_string(header.width) + " pixels need more memory than the " +
                       std::to_string(DecodeMemoryBudget >> 20) + " MiB this tool allows"};

    const bool deep = header.bit_depth == 16;
    const int format = deep ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
    const std::size_t pixelSize = deep ? 8 : 4;
    if (int error = api->spng_decode_image(png, nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE))
        return PngFailure(api, error, stream);

    PictureCollector whole;
    PictureSink& to = interlaced ? whole : sink;
    if (Result<void> started = to.Start(static_cast<int>(header.width), static_cast<int>(header.height)); !started)
        return started;
    std::vector<std::uint8_t> row(header.width * pixelSize);
    std::vector<std::uint8_t> rgba(header.width * 4);
    static constexpr int FirstColumn[7] = {0, 4, 0, 2, 0, 1, 0};
    static constexpr int ColumnStep[7] = {8, 8, 4, 4, 2, 2, 1};
    for (;;) {
        spng_row_info info{};
        if (int error = api->spng_get_row_info(png, &info))
            return PngFailure(api, error, stream);
        const int status = api->spng_decode_row(png, row.data(), row.size());
        if (status != 0 && status != SPNG_EOI)
            return PngFailure(api, status, stream);
        if (interlaced) {
            // A pass fills only its own columns of the row.
            std::uint8_t* out = whole.picture.rgba.data() + std::size_t{info.row_num} * header.width * 4;
            for (std::size_t x = FirstColumn[info.pass]; x < header.width; x += ColumnStep[info.pass])
                ToRgba8(row.data() + x * pixelSize, deep, out + x * 4);
        } else {
            for (std::size_t x = 0; x < header.width; ++x)
                ToRgba8(row.data() + x * pixelSize, deep, rgba.data() + x * 4);
            sink.Row(static_cast<int>(info.row_num), rgba.data());
        }
        if (status == SPNG_EOI)
            break;
    }
    return interlaced ? FeedPicture(whole.picture, sink) : Result<void>{};
}

}  // namespace quillon
