// GIF through giflib, read record by record: frame N is the picture a viewer
// shows then, every earlier frame composed under it with its disposal method,
// its transparent index and its place in the logical screen. Frames that leave
// nothing behind for later ones (restored, or cleared to the background) are
// skipped without being decompressed.
#include "common/gif_library.h"
#include "intake/decode_limits.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace quillon {

namespace {

const Loaded<Giflib>& Lib()
{
    return LoadGiflib();
}

// Frames decompressed on the way to the one asked for, in pixels: a few
// seconds' work. A small file can declare many large frames.
constexpr std::uint64_t MaxDecodedPixels = 8 * MaxPicturePixels;

struct Source {
    ByteSource& bytes;
    std::string problem;  // why the source could not be read
};

int ReadBytes(GifFileType* gif, GifByteType* into, int wanted)
{
    auto* source = static_cast<Source*>(gif->UserData);
    int count = 0;
    while (count < wanted && source->problem.empty()) {
        const Result<std::size_t> got = source->bytes.Read(into + count, static_cast<std::size_t>(wanted - count));
        if (!got)
            source->problem = got.Error();
        else if (*got == 0)
            break;
        else
            count += static_cast<int>(*got);
    }
    return count;
}

struct GifClose {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        Lib()->DGifCloseFile(gif, &error);
    }
};

Failure GifFailure(int error, const Source& source)
{
    if (!source.problem.empty())
        return Failure{source.problem};
    if (error == D_GIF_ERR_READ_FAILED || error == D_GIF_ERR_EOF_TOO_SOON)
        return Failure{"the file ends before the picture does"};
    const char* text = Lib()->GifErrorString(error);
    return Failure{std::string("damaged GIF: ") + (text ? text : "unknown error")};
}

// Where a frame lies on the logical screen, clipped to it.
struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;
};

Area Clipped(const GifImageDesc& frame, const PictureImage& canvas)
{
    return Area{std::min(frame.Left, canvas.width), std::min(frame.Top, canvas.height),
                std::min(frame.Left + frame.Width, canvas.width), std::min(frame.Top + frame.Height, canvas.height)};
}

void Clear(PictureImage& canvas, const Area& area)
{
    for (int y = area.top; y < area.bottom; ++y)
        std::fill_n(canvas.rgba.data() + (std::size_t{static_cast<std::size_t>(y)} * canvas.width + area.left) * 4,
                    (area.right - area.left) * 4, std::uint8_t{0});
}

// Rows of an interlaced frame come in four passes: every 8th from 0, every
// 8th from 4, every 4th from 2, every 2nd from 1.
int RowOf(int line, int height)
{
    static constexpr int Start[4] = {0, 4, 2, 1};
    static constexpr int Step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = height > Start[pass] ? (height - Start[pass] + Step[pass] - 1) / Step[pass] : 0;
        if (line < rows)
            return Start[pass] + line * Step[pass];
        line -= rows;
    }
    return line;
}

// Decompresses the frame whose descriptor was just read and paints it onto
// the canvas; an index past the colour table paints opaque black.
bool Paint(GifFileType* gif, PictureImage& canvas, int transparent)
{
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    for (int k = 0; k < frame.Height; ++k) {
        if (Lib()->DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
            return false;
        const int y = frame.Top + (frame.Interlace ? RowOf(k, frame.Height) : k);
        if (y >= canvas.height)
            continue;
        for (int x = 0; x < frame.Width && frame.Left + x < canvas.width; ++x) {
            const int index = line[static_cast<std::size_t>(x)];
            if (index == transparent)
                continue;
            std::uint8_t* pixel =
                canvas.rgba.data() + (static_cast<std::size_t>(y) * canvas.width + frame.Left + x) * 4;
            if (map && index < map->ColorCount) {
                pixel[0] = map->Colors[index].Red;
                pixel[1] = map->Colors[index].Green;
                pixel[2] = map->Colors[index].Blue;
            } else {
                pixel[0] = pixel[1] = pixel[2] = 0;
            }
            pixel[3] = 255;
        }
    }
    return true;
}

// Adds a frame's pixels to those decompressed so far (`decoded`), within the
// bound; `wanted` is the frame asked for, or -1 for every frame.
Result<void> CountDecoded(std::uint64_t& decoded, const GifImageDesc& frame, int wanted)
{
    decoded += std::uint64_t(frame.Width) * std::uint64_t(frame.Height);
    if (decoded <= MaxDecodedPixels)
        return {};
    return Failure{(wanted < 0 ? "the frames need" : "frame " + std::to_string(wanted) + " needs") +
                   std::string(" more than ") + std::to_string(MaxDecodedPixels / 1'000'000) +
                   " million pixels of frames decompressed, more than this tool takes"};
}

// Reads an extension, taking a frame's delay, disposal and transparent
// colour from a graphics control block.
bool ReadExtension(GifFileType* gif, GraphicsControlBlock& control)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (Lib()->DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
        Lib()->DGifExtensionToGCB(block[0], block + 1, &control);
    while (block)
        if (Lib()->DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

bool SkipPixels(GifFileType* gif)
{
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (Lib()->DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
        return false;
    while (block)
        if (Lib()->DGifGetCodeNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

}  // namespace

Result<void> DecodeGif(ByteSource& bytes, const DecodeOptions& options, PictureSink& sink)
{
    if (!Lib())
        return Failure{Lib().problem};
    const int wanted = options.frame;
    Source source{bytes, {}};
    int error = 0;
    const std::unique_ptr<GifFileType, GifClose> file(Lib()->DGifOpen(&source, ReadBytes, &error));
    if (!file)
        return GifFailure(error, source);
    GifFileType* gif = file.get();
    // Frames are composed on a canvas held whole.
    if (Result<void> fits = CheckPictureSize(gif->SWidth, gif->SHeight, MaxPicturePixels); !fits)
        return fits;
    // Viewers start from a transparent screen and clear to it, whatever
    // background colour the file names.
    PictureImage canvas = BlankPicture(gif->SWidth, gif->SHeight);

    int frames = 0;
    std::uint64_t decoded = 0;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (Lib()->DGifGetRecordType(gif, &record) == GIF_ERROR)
            return GifFailure(gif->Error, source);
        if (record == TERMINATE_RECORD_TYPE)
            break;
        if (record == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(gif, control))
                return GifFailure(gif->Error, source);
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (Lib()->DGifGetImageDesc(gif) == GIF_ERROR)
            return GifFailure(gif->Error, source);
        // giflib keeps a copy of every descriptor; the frames are counted here instead.
        Lib()->GifFreeSavedImages(gif);
        gif->ImageCount = 0;

        const GifImageDesc& frame = gif->Image;
        const Area area = Clipped(frame, canvas);
        const bool every = static_cast<bool>(options.everyFrame);
        const bool last = !every && frames == wanted;
        const bool restored = control.DisposalMode == DISPOSE_PREVIOUS;
        const bool leavesNothing = restored || control.DisposalMode == DISPOSE_BACKGROUND;
        if (every && frames == MaxFrames)
            return Failure{"the GIF has more than " + std::to_string(MaxFrames) + " frames, more than this tool takes"};
        // A frame that restores what was before it is drawn on a copy.
        std::optional<PictureImage> before;
        if (every && restored)
            before = canvas;
        if ((!every && !last && leavesNothing) || frame.Width == 0 || frame.Height == 0) {
            if (!SkipPixels(gif))
                return GifFailure(gif->Error, source);
        } else {
            if (Result<void> counted = CountDecoded(decoded, frame, every ? -1 : wanted); !counted)
                return counted;
            if (!Paint(gif, canvas, control.TransparentColor))
                return GifFailure(gif->Error, source);
        }
        if (last)
            return FeedPicture(canvas, sink);
        if (every) {
            if (Result<void> taken = options.everyFrame(canvas, control.DelayTime * 10); !taken)
                return taken;
            if (before)
                canvas = std::move(*before);
        }
        if (control.DisposalMode == DISPOSE_BACKGROUND)
            Clear(canvas, area);
        control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        ++frames;
    }
    if (frames == 0)
        return Failure{"the GIF holds no frame"};
    if (options.everyFrame)
        return {};
    return Failure{"there is no frame " + std::to_string(wanted) + ": the GIF has " + std::to_string(frames) +
                   (frames == 1 ? " frame" : " frames (0 to " + std::to_string(frames - 1) + ")")};
}

}  // namespace quillon
