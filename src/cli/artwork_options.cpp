#include "cli/artwork_options.h"

#include "cli/messages.h"
#include "convert/sampling.h"
#include "formats/formats.h"
#include "intake/bitmap_reader.h"

#include <cstdint>
#include <span>

namespace quillon::cli {

void PictureOptions::Finish()
{
    ParseFit(fit, artwork.fit);
    ParseDither(dither, artwork.dither);
    artwork.background = background == "black" ? Background::Black : Background::White;
    artwork.flip = flip == "h" ? Flip::Horizontal : flip == "v" ? Flip::Vertical : Flip::None;
}

void AddArtworkOptions(CLI::App& command, PictureOptions& options)
{
    const std::string group = "Pictures other than an exact 1-bit 122 x 32 BMP";
    command
        .add_option("--fit", options.fit,
                    "Onto 122 x 32: all, padded; filled, cropped; stretched; 1:1 (default contain)")
        ->type_name("HOW")
        ->check(CLI::IsMember({"contain", "cover", "stretch", "none"}))
        ->group(group);
    command
        .add_option("--background", options.background, "Behind transparent pixels and in the padding (default white)")
        ->type_name("COLOUR")
        ->check(CLI::IsMember({"white", "black"}))
        ->group(group);
    command.add_option("--dither", options.dither, "How greys become dots (default none: the threshold)")
        ->type_name("HOW")
        ->check(CLI::IsMember({"none", "floyd-steinberg", "atkinson", "bayer"}))
        ->group(group);
    command
        .add_option("--threshold", options.artwork.threshold, "Without a dither, a grey below it is lit (default 128)")
        ->type_name("0..255")
        ->check(CLI::Range(0, 255).description(""))
        ->group(group);
    command.add_option("--rotate", options.artwork.rotate, "Turn the picture clockwise first (default 0)")
        ->type_name("DEGREES")
        ->check(CLI::IsMember({0, 90, 180, 270}))
        ->group(group);
    command.add_option("--flip", options.flip, "Then mirror it: h left to right, v top to bottom")
        ->type_name("WAY")
        ->check(CLI::IsMember({"h", "v"}))
        ->group(group);
    command.add_option("--frame", options.frame, "The frame of an animated GIF, from 0 (default 0)")
        ->type_name("N")
        ->check(CLI::Validator(
            [](std::string& value) {
                return value.starts_with('-') ? value + " is no frame: frames count from 0" : std::string();
            },
            ""))
        ->group(group);
}

bool LooksLikePicture(std::string_view bytes)
{
    const auto starts = [&](std::string_view magic) { return bytes.substr(0, magic.size()) == magic; };
    const bool pnm = bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '7' &&
                     std::string_view(" \t\r\n#").find(bytes[2]) != std::string_view::npos;
    return starts("BM") || starts("\x89PNG\r\n\x1a\n") || starts("GIF87a") || starts("GIF89a") ||
           starts("\xFF\xD8\xFF") || pnm;
}

std::optional<DisplayImage> PictureDots(std::string_view bytes, std::string_view name, const PictureOptions& options,
                                        bool inverse)
{
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const PictureRead read = ReadPicture(data);
    if (read.outcome == PictureRead::Outcome::Accepted && options.frame == 0)
        return DisplayOf(read.picture, inverse);
    if (!LooksLikePicture(bytes)) {
        ProblemAt(name, "is neither a picture nor a table in a format quillon-cli reads (see --help)");
        return std::nullopt;
    }
    ArtworkOptions artwork = options.artwork;
    artwork.inverse = inverse;
    ArtworkSampler sampler(artwork);
    MemorySource source(data);
    if (const Result<void> decoded = DecodePicture(source, DecodeOptions{options.frame}, sampler); !decoded) {
        ProblemAt(name, "cannot be read: " + OneLine(decoded.Error()));
        return std::nullopt;
    }
    return DotsOf(sampler.Grey(), artwork);
}

}  // namespace quillon::cli
