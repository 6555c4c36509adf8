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

}  // namespace

std::optional<Failure> CheckPictureSize(std::uint64_t width, std::uint64_t height)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (width == 0 || height == 0)
        return Failure{"the picture is " + size + ": it has no pixels"};
    // Both sides are at most 32 bits wide, so their product cannot overflow.
    if (width > 0xFFFFFFFFu || height > 0xFFFFFFFFu || width * height > MaxPicturePixels)
        return Failure{size + " is more than the " + std::to_string(MaxPicturePixels / 1'000'000) +
                       " million pixels this tool takes"};
    return std::nullopt;
}

PictureImage BlankPicture(int width, int height)
{
    PictureImage picture;
    picture.width = width;
    picture.height = height;
    picture.rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    return picture;
}

namespace {

Result<PictureImage> DecodeByContent(std::span<const std::uint8_t> bytes, const DecodeOptions& options)
{
    if (options.frame < 0)
        return Failure{"there is no frame " + std::to_string(options.frame) + ": frames count from 0"};
    const bool gif = StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a");
    if (options.frame > 0 && !gif)
        return Failure{"there is no frame " + std::to_string(options.frame) + ": the picture has 1 frame"};
    if (StartsWith(bytes, "\x89PNG\r\n\x1a\n"))
        return DecodePng(bytes);
    if (gif)
        return DecodeGif(bytes, options.frame);
    if (StartsWith(bytes, "\xFF\xD8\xFF"))
        return DecodeJpeg(bytes);
    if (IsPnm(bytes))
        return DecodePnm(bytes);
    if (StartsWith(bytes, "BM"))
        return DecodeBmp(bytes);
    if (bytes.empty())
        return Failure{"the file is empty"};
    return Failure{"not a picture this tool reads (PNG, GIF, JPEG, PNM or BMP)"};
}

}  // namespace

Result<PictureImage> DecodePicture(std::span<const std::uint8_t> bytes, const DecodeOptions& options)
{
    // The sizes were checked against the bound; this is for a machine with less.
    try {
        return DecodeByContent(bytes, options);
    } catch (const std::bad_alloc&) {
        return Failure{"there is not enough memory to decode the picture"};
    }
}

}  // namespace quillon
