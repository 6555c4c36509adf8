// Tells the picture formats apart by their first bytes, whatever the file is
// called, and hands the bytes to the decoder of that format.
#include "intake/decode_limits.h"

#include <algorithm>
#include <new>
#include <string_view>

namespace quillon {

namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view magic)
{
    return bytes.size() >= magic.size() &&
           std::equal(magic.begin(), magic.end(), bytes.begin(),
                      [](char want, std::uint8_t have) { return static_cast<std::uint8_t>(want) == have; });
}

bool IsPnm(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '7' &&
           std::string_view(" \t\r\n#").find(static_cast<char>(bytes[2])) != std::string_view::npos;
}

// The first bytes of a file, enough to tell every format by.
constexpr std::size_t HeadBytes = 8;

}  // namespace

Result<void> CheckPictureSize(std::uint64_t width, std::uint64_t height, std::uint64_t most)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (width == 0 || height == 0)
        return Failure{"the picture is " + size + ": it has no pixels"};
    if (width > MaxPictureSide || height > MaxPictureSide)
        return Failure{size + ": a side of more than " + std::to_string(MaxPictureSide) +
                       " pixels is more than this tool takes"};
    // Both sides are at most 2^20, so their product cannot overflow.
    if (width * height > most)
        return Failure{size + " is more than the " + std::to_string(most / 1'000'000) +
                       " million pixels this tool takes"};
    return {};
}

PictureImage BlankPicture(int width, int height)
{
    PictureImage picture;
    picture.width = width;
    picture.height = height;
    picture.rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    return picture;
}

Result<void> PictureCollector::Start(int width, int height)
{
    if (Result<void> fits = CheckPictureSize(width, height, MaxPicturePixels); !fits)
        return fits;
    picture = BlankPicture(width, height);
    return {};
}

void PictureCollector::Row(int y, const std::uint8_t* rgba)
{
    const std::size_t size = static_cast<std::size_t>(picture.width) * 4;
    std::copy_n(rgba, size, picture.rgba.data() + static_cast<std::size_t>(y) * size);
}

Result<void> FeedPicture(const PictureImage& picture, PictureSink& sink)
{
    if (Result<void> started = sink.Start(picture.width, picture.height); !started)
        return started;
    for (int y = 0; y < picture.height; ++y)
        sink.Row(y, picture.Pixel(0, y));
    return {};
}

Result<std::vector<std::uint8_t>> ReadWhole(ByteSource& source)
{
    std::vector<std::uint8_t> bytes;
    std::size_t got = 0;
    for (;;) {
        bytes.resize(std::min(MaxHeldFileBytes + 1, std::max<std::size_t>(64 * 1024, got * 2)));
        const Result<std::size_t> read = source.Read(bytes.data() + got, bytes.size() - got);
        if (!read)
            return Failure{read.Error()};
        got += *read;
        if (got > MaxHeldFileBytes)
            return Failure{"the file is larger than the " + std::to_string(MaxHeldFileBytes >> 20) +
                           " MiB this tool reads of a picture of its kind"};
        if (*read == 0)
            break;
    }
    bytes.resize(got);
    return bytes;
}

namespace {

Result<void> DecodeByContent(ByteSource& source, const DecodeOptions& options, PictureSink& sink)
{
    std::string head(HeadBytes, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const Result<std::size_t> read =
            source.Read(reinterpret_cast<std::uint8_t*>(head.data()) + got, head.size() - got);
        if (!read)
            return Failure{read.Error()};
        if (*read == 0)
            break;
        got += *read;
    }
    head.resize(got);
    const std::span<const std::uint8_t> start(reinterpret_cast<const std::uint8_t*>(head.data()), head.size());
    if (options.frame < 0)
        return Failure{"there is no frame " + std::to_string(options.frame) + ": frames count from 0"};
    const bool gif = StartsWith(start, "GIF87a") || StartsWith(start, "GIF89a");
    if (options.frame > 0 && !gif)
        return Failure{"there is no frame " + std::to_string(options.frame) + ": the picture has 1 frame"};
    using Decoder = Result<void> (*)(ByteSource&, const DecodeOptions&, PictureSink&);
    Decoder decode = nullptr;
    if (StartsWith(start, "\x89PNG\r\n\x1a\n"))
        decode = DecodePng;
    else if (gif)
        decode = DecodeGif;
    else if (StartsWith(start, "\xFF\xD8\xFF"))
        decode = DecodeJpeg;
    else if (IsPnm(start))
        decode = DecodePnm;
    else if (StartsWith(start, "BM"))
        decode = DecodeBmp;
    else if (start.empty())
        return Failure{"the file is empty"};
    else
        return Failure{"not a picture this tool reads (PNG, GIF, JPEG, PNM or BMP)"};
    ResumedSource whole(std::move(head), source);
    return decode(whole, options, sink);
}

}  // namespace

Result<void> DecodePicture(ByteSource& source, const DecodeOptions& options, PictureSink& sink)
{
    // The sizes were checked against the bound; this is for a machine with less.
    try {
        return DecodeByContent(source, options, sink);
    } catch (const std::bad_alloc&) {
        return Failure{"there is not enough memory to decode the picture"};
    }
}

Result<PictureImage> DecodePicture(std::span<const std::uint8_t> bytes, const DecodeOptions& options)
{
    MemorySource source(bytes);
    PictureCollector collector;
    if (Result<void> decoded = DecodePicture(source, options, collector); !decoded)
        return Failure{decoded.Error()};
    return std::move(collector.picture);
}

}  // namespace quillon
