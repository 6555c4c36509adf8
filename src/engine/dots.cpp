#include "engine/dots.h"

#include "convert/sampling.h"
#include "intake/bitmap_reader.h"
#include "intake/decode_limits.h"

#include <cstdio>
#include <span>

namespace quillon {

namespace {

std::span<const std::uint8_t> Bytes(std::string_view bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

// "white (#FFFFFF)", or just the colour's number.
std::string ColourWords(const RGBQUAD& colour)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02X%02X%02X", colour.rgbRed, colour.rgbGreen, colour.rgbBlue);
    const RgbValue value = ColourOf(colour);
    const std::string name = value == Rgb(255, 255, 255) ? "white " : value == Rgb(0, 0, 0) ? "black " : "";
    return name.empty() ? hex : name + "(" + hex + ")";
}

int Lightness(const RGBQUAD& colour)
{
    return 2126 * colour.rgbRed + 7152 * colour.rgbGreen + 722 * colour.rgbBlue;
}

// An exact picture whose lit colour is the lighter one comes out as a
// negative of what its painter saw: said once, for the user to choose.
std::string LitColourNotice(const MonoPicture& picture, bool inverse)
{
    if (inverse || Lightness(picture.table[0]) <= Lightness(picture.table[1]))
        return {};
    return "its first colour, " + ColourWords(picture.table[0]) + ", is lit, as the window lights it; --inverse " +
           "lights its second, " + ColourWords(picture.table[1]) + ", instead";
}

Result<FileDots> ArtworkDots(ByteSource& file, const Identity& identity, const PictureOptions& options)
{
    ArtworkSampler sampler(options.artwork);
    if (const Result<void> decoded = DecodePicture(file, DecodeOptions{options.frame, {}}, sampler); !decoded)
        return Failure{"cannot be read: " + decoded.Error()};
    return FileDots{DotsOf(sampler.Grey(), options.artwork), identity, false, {}};
}

Result<FileDots> PictureDots(FileStart start, ByteSource& rest, const PictureOptions& options)
{
    if (start.identity.picture->readsAsItGoes) {
        ResumedSource file(std::move(start.bytes), rest);
        return ArtworkDots(file, start.identity, options);
    }
    // As the window reads a picture: no further than WholeFileLimit.
    const std::string_view bytes = std::string_view(start.bytes).substr(0, WholeFileLimit);
    const PictureRead read = ReadPicture(Bytes(bytes));
    if (read.outcome == PictureRead::Outcome::Accepted && options.frame == 0) {
        const bool inverse = options.artwork.inverse;
        return FileDots{DisplayOf(read.picture, inverse), start.identity, true, LitColourNotice(read.picture, inverse)};
    }
    if (!start.whole)
        return Failure{"is " + TooLong() + ", more than is read of a " + std::string(start.identity.picture->name) +
                       " picture"};
    MemorySource file(Bytes(bytes));
    return ArtworkDots(file, start.identity, options);
}

}  // namespace

Result<FileDots> DotsOf(FileStart start, ByteSource& rest, const PictureOptions& options)
{
    if (start.identity.picture)
        return PictureDots(std::move(start), rest, options);
    if (!start.whole)
        return Failure{"is " + TooLong() + ", more than is read of a table"};
    const Format* format = start.identity.table;
    if (!format)
        return Failure{start.bytes.empty() ? "is empty: neither a picture nor a table"
                                           : "is neither a picture (" + PictureKindNames() +
                                                 ") nor a table in a format this tool reads"};
    if (options.artwork.inverse)
        return Failure{"--inverse picks a picture's colour; this is a table (" + std::string(format->name) +
                       "), nothing to pick"};
    const Result<std::vector<Frame>> read = format->ReadFrames(start.bytes);
    if (!read)
        return Failure{"cannot be read as " + std::string(format->name) + ": " + read.Error()};
    const std::size_t frame = static_cast<std::size_t>(options.frame);
    if (frame >= read->size())
        return Failure{"there is no frame " + std::to_string(frame) + ": the table holds " +
                       std::to_string(read->size()) + (read->size() == 1 ? " frame" : " frames")};
    return FileDots{(*read)[frame].image, start.identity, false, {}};
}

Result<FileFrames> FramesOf(FileStart start, ByteSource& rest, const PictureOptions& options)
{
    const Identity identity = start.identity;
    if (identity.picture && identity.picture->animated) {
        FileFrames all{{}, identity, {}};
        DecodeOptions every;
        every.everyFrame = [&](const PictureImage& canvas, int delay) -> Result<void> {
            all.frames.push_back(Frame{ConvertArtwork(canvas, options.artwork), delay});
            return {};
        };
        ResumedSource file(std::move(start.bytes), rest);
        struct NoRows final : PictureSink {
            Result<void> Start(int, int) override { return {}; }
            void Row(int, const std::uint8_t*) override {}
        } none;
        if (const Result<void> decoded = DecodePicture(file, every, none); !decoded)
            return Failure{"cannot be read: " + decoded.Error()};
        return all;
    }
    if (identity.table && start.whole && !options.artwork.inverse) {
        const Result<std::vector<Frame>> read = identity.table->ReadFrames(start.bytes);
        if (!read)
            return Failure{"cannot be read as " + std::string(identity.table->name) + ": " + read.Error()};
        return FileFrames{*read, identity, {}};
    }
    Result<FileDots> one = DotsOf(std::move(start), rest, options);
    if (!one)
        return Failure{one.Error()};
    return FileFrames{{Frame{one->image, 0}}, one->identity, one->notice};
}

Result<FileDots> DotsOfFile(ByteSource& file, const PictureOptions& options)
{
    Result<FileStart> start = ReadFileStart(file);
    if (!start)
        return Failure{"cannot be read: " + start.Error()};
    return DotsOf(std::move(*start), file, options);
}

}  // namespace quillon
