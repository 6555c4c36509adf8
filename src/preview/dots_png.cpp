#include "preview/dots_png.h"

#include "common/spng_library.h"
#include "preview/dot_walk.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace quillon {

Result<std::string> DotsPng(const DotPaints& dots, int scale)
{
    if (scale < 1 || scale > MaxDotScale)
        return Failure{"a dot is 1 to " + std::to_string(MaxDotScale) + " pixels, not " + std::to_string(scale)};
    const Loaded<Spng>& api = LoadSpng();
    if (!api)
        return Failure{api.problem};
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> context(api->spng_ctx_new(SPNG_CTX_ENCODER),
                                                                      api->spng_ctx_free);
    if (!context)
        return Failure{"out of memory"};
    spng_ctx* png = context.get();
    api->spng_set_option(png, SPNG_ENCODE_TO_BUFFER, 1);

    // A palette of the three paints, in DotPaint's order.
    const auto width = static_cast<std::uint32_t>(DisplayWidth * scale);
    const auto height = static_cast<std::uint32_t>(DisplayHeight * scale);
    spng_ihdr header{width, height, 8, SPNG_COLOR_TYPE_INDEXED, 0, 0, 0};
    spng_plte palette{};
    palette.n_entries = 3;
    const auto entry = [](RgbValue colour) {
        return spng_plte_entry{std::uint8_t(colour & 0xFF), std::uint8_t((colour >> 8) & 0xFF),
                               std::uint8_t((colour >> 16) & 0xFF), 255};
    };
    palette.entries[1] = entry(ClearDotColour);
    palette.entries[2] = entry(SetDotColour);
    spng_trns transparency{};
    transparency.n_type3_entries = 3;
    transparency.type3_alpha[0] = 0;
    transparency.type3_alpha[1] = 255;
    transparency.type3_alpha[2] = 255;

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x)
            pixels[y * width + x] = static_cast<std::uint8_t>(dots[y / scale * DisplayWidth + x / scale]);
    }
    int error = api->spng_set_ihdr(png, &header);
    if (!error)
        error = api->spng_set_plte(png, &palette);
    if (!error)
        error = api->spng_set_trns(png, &transparency);
    if (!error)
        error = api->spng_encode_image(png, pixels.data(), pixels.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    std::size_t size = 0;
    const std::unique_ptr<void, decltype(&std::free)> bytes(
        error ? nullptr : api->spng_get_png_buffer(png, &size, &error), std::free);
    if (error || !bytes)
        return Failure{std::string("the PNG picture cannot be made: ") + api->spng_strerror(error)};
    return std::string(static_cast<const char*>(bytes.get()), size);
}

}  // namespace quillon
