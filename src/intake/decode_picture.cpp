// The table of picture kinds, and decoding a picture told by its first bytes,
// whatever the file is called, with the decoder of its kind.
#include "intake/decode_limits.h"
#include "intake/picture_kinds.h"

#include <array>

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

bool IsPng(std::span<const std::uint8_t> head)
{
    return StartsWith(head, "\x89PNG\r\n\x1a\n");
}

bool IsGif(std::span<const std::uint8_t> head)
{
    return StartsWith(head, "GIF87a") || StartsWith(head, "GIF89a");
}

bool IsJpeg(std::span<const std::uint8_t> head)
{
    return StartsWith(head, "\xFF\xD8\xFF");
}

// P1 to P7 and white space or a comment.
bool IsPnm(std::span<const std::uint8_t> head)
{
    return head.size() >= 3 && head[0] == 'P' && head[1] >= '1' && head[1] <= '7' &&
           std::string_view(" \t\r\n#").find(static_cast<char>(head[2])) != std::string_view::npos;
}

bool IsBmp(std::span<const std::uint8_t> head)
{
    return StartsWith(head, "BM");
}

constexpr std::array Kinds{
    PictureKind{"PNG", ".png", 8, IsPng, DecodePng, true, false},
    PictureKind{"GIF", ".gif", 6, IsGif, DecodeGif, true, true},
    PictureKind{"JPEG", ".jpg .jpeg .jpe .jfif", 3, IsJpeg, DecodeJpeg, true, false},
    PictureKind{"PNM", ".pnm .pbm .pgm .ppm .pam", 3, IsPnm, DecodePnm, false, false},
    PictureKind{"BMP", ".bmp .dib", 2, IsBmp, DecodeBmp, false, false},
};

bool EndsNoCase(std::string_view name, std::string_view end)
{
    return name.size() >= end.size() &&
           std::equal(end.begin(), end.end(), name.end() - static_cast<std::ptrdiff_t>(end.size()), [](char a, char b) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(a) == lower(b);
           });
}

}  // namespace

std::span<const PictureKind> PictureKinds()
{
    return Kinds;
}

std::size_t PictureHeadBytes()
{
    std::size_t most = 0;
    for (const PictureKind& kind : Kinds)
        most = std::max(most, kind.headBytes);
    return most;
}

const PictureKind* PictureKindOf(std::span<const std::uint8_t> head)
{
    for (const PictureKind& kind : Kinds) {
        if (kind.told(head))
            return &kind;
    }
    return nullptr;
}

const PictureKind* PictureKindOf(std::string_view head)
{
    return PictureKindOf(std::span(reinterpret_cast<const std::uint8_t*>(head.data()), head.size()));
}

const PictureKind* PictureKindNamed(std::string_view fileName)
{
    for (const PictureKind& kind : Kinds) {
        for (std::string_view ends = kind.extensions; !ends.empty();) {
            const std::string_view end = ends.substr(0, ends.find(' '));
            ends.remove_prefix(std::min(ends.size(), end.size() + 1));
            if (EndsNoCase(fileName, end))
                return &kind;
        }
    }
    return nullptr;
}

std::string PictureKindNames(std::string_view last)
{
    std::string names;
    for (std::size_t k = 0; k < Kinds.size(); ++k) {
        if (k > 0)
            names += k + 1 == Kinds.size() ? " " + std::string(last) + " " : ", ";
        names += Kinds[k].name;
    }
    return names;
}

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
    std::string head(PictureHeadBytes(), '\0');
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
    const PictureKind* kind = PictureKindOf(start);
    if (!kind)
        return Failure{start.empty() ? "the file is empty"
                                     : "not a picture this tool reads (" + PictureKindNames() + ")"};
    if (options.frame > 0 && !kind->animated)
        return Failure{"there is no frame " + std::to_string(options.frame) + ": the picture has 1 frame"};
    ResumedSource whole(std::move(head), source);
    if (options.everyFrame && !kind->animated) {
        // A still picture is an animation of one frame that stays.
        PictureCollector collector;
        DecodeOptions one;
        if (Result<void> decoded = kind->decode(whole, one, collector); !decoded)
            return decoded;
        return options.everyFrame(collector.picture, 0);
    }
    return kind->decode(whole, options, sink);
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
