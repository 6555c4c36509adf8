// What every decoder fuzz target checks of DecodePicture: a picture within the
// memory bound whose pixels fill it exactly, or one line saying why not; and
// the same bytes decoded row by row into the fitting, as convert decodes
// them, give the dots the picture held whole gives.
#pragma once

#include "convert/artwork.h"
#include "fuzz_check.h"
#include "intake/decode_limits.h"

#include <cstddef>
#include <cstdint>

inline int CheckDecode(const std::uint8_t* data, std::size_t size, int frame = 0)
{
    using namespace quillon;
    DecodeOptions options;
    options.frame = frame;
    const Result<PictureImage> picture = DecodePicture(std::span<const std::uint8_t>(data, size), options);
    ArtworkSampler sampler{ArtworkOptions{}};
    MemorySource source(std::span<const std::uint8_t>(data, size));
    const Result<void> streamed = DecodePicture(source, options, sampler);
    FUZZ_CHECK(streamed || streamed.Error().find('\n') == std::string::npos, "a reason of more than one line: %s",
               streamed.Error().c_str());
    if (!picture) {
        const std::string& why = picture.Error();
        FUZZ_CHECK(!why.empty(), "a failure without a reason");
        FUZZ_CHECK(why.find('\n') == std::string::npos, "a reason of more than one line: %s", why.c_str());
        return 0;
    }
    FUZZ_CHECK(picture->width > 0 && picture->height > 0, "a picture of %d x %d", picture->width, picture->height);
    const std::uint64_t pixels = std::uint64_t(picture->width) * std::uint64_t(picture->height);
    FUZZ_CHECK(pixels <= MaxPicturePixels, "%llu pixels kept", static_cast<unsigned long long>(pixels));
    FUZZ_CHECK(picture->rgba.size() == pixels * 4, "%zu bytes for %d x %d", picture->rgba.size(), picture->width,
               picture->height);
    FUZZ_CHECK(streamed, "held whole but refused row by row: %s", streamed.Error().c_str());
    FUZZ_CHECK(DotsOf(sampler.Grey(), ArtworkOptions{}) == ConvertArtwork(*picture, ArtworkOptions{}),
               "row by row and held whole give other dots");
    return 0;
}
