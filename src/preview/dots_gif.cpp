#include "preview/dots_gif.h"

#include "common/gif_library.h"
#include "preview/dot_walk.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace quillon {

namespace {

int Append(GifFileType* gif, const GifByteType* bytes, int length)
{
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), std::size_t(length));
    return length;
}

GifColorType Colour(RgbValue colour)
{
    return GifColorType{GifByteType(colour & 0xFF), GifByteType((colour >> 8) & 0xFF),
                        GifByteType((colour >> 16) & 0xFF)};
}

}  // namespace

Result<std::string> DotsGif(std::span<const DotsFrame> frames, int scale)
{
    if (scale < 1 || scale > MaxDotScale)
        return Failure{"a dot is 1 to " + std::to_string(MaxDotScale) + " pixels, not " + std::to_string(scale)};
    if (frames.empty())
        return Failure{"there is nothing to show"};
    const Loaded<Giflib>& api = LoadGiflib();
    if (!api)
        return Failure{api.problem};
    std::string out;
    int error = 0;
    GifFileType* gif = api->EGifOpen(&out, Append, &error);
    if (!gif)
        return Failure{std::string("the GIF picture cannot be made: ") + api->GifErrorString(error)};
    const auto closed = [&api](GifFileType* file) {
        int ignored = 0;
        api->EGifCloseFile(file, &ignored);
    };
    std::unique_ptr<GifFileType, decltype(closed)> file(gif, closed);
    api->EGifSetGifVersion(gif, true);

    // The paints by DotPaint's number, the unpainted one transparent; a GIF's
    // colour table holds a power of two.
    const std::unique_ptr<ColorMapObject, decltype(api->GifFreeMapObject)> colours(api->GifMakeMapObject(4, nullptr),
                                                                                   api->GifFreeMapObject);
    if (!colours)
        return Failure{"out of memory"};
    colours->Colors[0] = GifColorType{255, 255, 255};
    colours->Colors[1] = Colour(ClearDotColour);
    colours->Colors[2] = Colour(SetDotColour);
    colours->Colors[3] = Colour(SetDotColour);
    const int width = DisplayWidth * scale;
    const int height = DisplayHeight * scale;
    bool done = api->EGifPutScreenDesc(gif, width, height, 2, 1, colours.get()) == GIF_OK;
    // Looping for ever: the NETSCAPE2.0 application block with a count of 0.
    static const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType loops[] = {1, 0, 0};
    done = done && api->EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           api->EGifPutExtensionBlock(gif, sizeof application, application) == GIF_OK &&
           api->EGifPutExtensionBlock(gif, sizeof loops, loops) == GIF_OK &&
           api->EGifPutExtensionTrailer(gif) == GIF_OK;
    std::vector<GifPixelType> row(static_cast<std::size_t>(width));
    for (const DotsFrame& frame : frames) {
        GraphicsControlBlock control{DISPOSE_DO_NOT, false, std::clamp(frame.centiseconds, 0, 65535), 0};
        GifByteType extension[4];
        api->EGifGCBToExtension(&control, extension);
        done = done && api->EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) == GIF_OK &&
               api->EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
        for (int y = 0; done && y < height; ++y) {
            for (int x = 0; x < width; ++x)
                row[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(
                    frame.dots[static_cast<std::size_t>(y / scale * DisplayWidth + x / scale)]);
            done = api->EGifPutLine(gif, row.data(), width) == GIF_OK;
        }
    }
    const int failed = gif->Error;
    int closing = 0;
    done = api->EGifCloseFile(file.release(), &closing) == GIF_OK && done;
    if (!done)
        return Failure{std::string("the GIF picture cannot be made: ") +
                       api->GifErrorString(failed ? failed : closing)};
    return out;
}

}  // namespace quillon
