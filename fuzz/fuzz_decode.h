// What every decoder fuzz target checks of DecodePicture: a picture within the
// memory bound whose pixels fill it exactly, or one line saying why not.
#pragma once

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
    return 0;
}
