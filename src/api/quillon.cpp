// The C interface (include/quillon/quillon.h) over the core: each call the
// route quillon-cli takes, its failures turned into one line of text.
#include "quillon/quillon.h"

#include "common/paths.h"
#include "engine/naming.h"
#include "engine/open_file.h"
#include "formats/formats.h"
#include "preview/dot_walk.h"
#include "text/glyph_table.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

struct quillon_file {
    quillon::OpenFile file;
    std::string notice;  // of the last dots
};

namespace {

using namespace quillon;

int Fail(const std::string& why, char* error, std::size_t size)
{
    if (error && size > 0) {
        const std::size_t length = std::min(why.size(), size - 1);
        std::memcpy(error, why.data(), length);
        error[length] = '\0';
    }
    return -1;
}

// A word of the options, or the default when it is NULL.
std::string_view Word(const char* word, std::string_view fallback)
{
    return word ? std::string_view(word) : fallback;
}

Result<PictureOptions> OptionsOf(const quillon_picture_options* given)
{
    quillon_picture_options defaults;
    quillon_picture_options_init(&defaults);
    const quillon_picture_options& o = given ? *given : defaults;
    const Result<Fit> fit = FitNamed(Word(o.fit, "contain"));
    const Result<Background> background = BackgroundNamed(Word(o.background, "white"));
    const Result<Dither> dither = DitherNamed(Word(o.dither, "none"));
    const Result<Flip> flip = FlipNamed(Word(o.flip, "none"));
    for (const std::string* why : {&fit.Error(), &background.Error(), &dither.Error(), &flip.Error()}) {
        if (!why->empty())
            return Failure{*why};
    }
    if (o.threshold < 0 || o.threshold > 255)
        return Failure{std::to_string(o.threshold) + " is no --threshold: 0 to 255"};
    if (std::find(Rotations.begin(), Rotations.end(), o.rotate) == Rotations.end())
        return Failure{std::to_string(o.rotate) + " is no --rotate: 0, 90, 180, 270"};
    if (o.frame < 0)
        return Failure{std::to_string(o.frame) + " is no frame: frames count from 0"};
    PictureOptions options;
    options.artwork = ArtworkOptions{*fit, *background, *dither, o.threshold, o.rotate, *flip, o.inverse != 0};
    options.frame = o.frame;
    return options;
}

int Done(const Result<FileDots>& dots, unsigned char* image, char* error, std::size_t size)
{
    if (!dots)
        return Fail(dots.Error(), error, size);
    std::memcpy(image, dots->image.bytes().data(), DisplayBytes);
    return 0;
}

bool Give(std::string_view bytes, quillon_bytes* out)
{
    out->data = static_cast<unsigned char*>(std::malloc(std::max<std::size_t>(bytes.size(), 1)));
    if (!out->data)
        return false;
    std::memcpy(out->data, bytes.data(), bytes.size());
    out->size = bytes.size();
    return true;
}

template <typename Names>
const char* NameAt(const Names& names, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < names.size()
               ? std::data(names[static_cast<std::size_t>(index)])
               : nullptr;
}

// The format named, refused as quillon-cli refuses it with this --label (and
// with --frames all, when `frames`).
Result<const Format*> TableFormat(const char* name, const char* label, bool frames)
{
    const Format* format = name ? FindFormat(name) : nullptr;
    if (!format)
        return Failure{std::string(name ? name : "(none)") + " is no format"};
    if (const Result<void> held = CheckHoldsFrames(*format); frames && !held)
        return Failure{held.Error()};
    if (const Result<void> checked = CheckLabel(label ? label : "", *format); !checked)
        return Failure{checked.Error()};
    return format;
}

// 0xRRGGBB from the window's 0x00BBGGRR.
unsigned long HexColour(RgbValue colour)
{
    const auto value = static_cast<unsigned long>(colour);
    return (value & 0xFF) << 16 | (value & 0xFF00) | (value >> 16 & 0xFF);
}

}  // namespace

extern "C" {

void quillon_picture_options_init(quillon_picture_options* options)
{
    *options = quillon_picture_options{"contain", "white", "none", 128, 0, "none", 0, 0};
}

const char* quillon_option_choice(const char* option, int index)
{
    static const std::array<std::string, Rotations.size()> rotations = [] {
        std::array<std::string, Rotations.size()> words;
        std::transform(Rotations.begin(), Rotations.end(), words.begin(), [](int r) { return std::to_string(r); });
        return words;
    }();
    const std::string_view name = option ? option : "";
    return name == "fit"          ? NameAt(FitNames, index)
           : name == "background" ? NameAt(BackgroundNames, index)
           : name == "dither"     ? NameAt(DitherNames, index)
           : name == "flip"       ? NameAt(FlipNames, index)
           : name == "rotate"     ? NameAt(rotations, index)
           : name == "align"      ? NameAt(text::AlignNames, index)
           : name == "valign"     ? NameAt(text::VerticalAlignNames, index)
                                  : nullptr;
}

void quillon_bytes_free(quillon_bytes* bytes)
{
    if (bytes) {
        std::free(bytes->data);
        *bytes = quillon_bytes{nullptr, 0};
    }
}

const char* quillon_version(void)
{
    return QUILLON_VERSION;
}

const char* quillon_identify(const void* file, size_t size)
{
    static thread_local std::string told;
    const Identity identity = Identify(std::string_view(static_cast<const char*>(file), size));
    told = identity.picture ? "picture " + std::string(identity.picture->name)
           : identity.table ? "table " + std::string(identity.table->name)
                            : std::string();
    return told.c_str();
}

int quillon_dots(const void* file, size_t size, const quillon_picture_options* options,
                 unsigned char image[QUILLON_DISPLAY_BYTES], char* error, size_t error_size)
{
    const Result<PictureOptions> chosen = OptionsOf(options);
    if (!chosen)
        return Fail(chosen.Error(), error, error_size);
    MemorySource source(std::span(static_cast<const std::uint8_t*>(file), size));
    try {
        return Done(DotsOfFile(source, *chosen), image, error, error_size);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory", error, error_size);
    }
}

quillon_file* quillon_open(const void* file, size_t size)
{
    try {
        return new quillon_file{OpenFile(std::string(static_cast<const char*>(file), size)), {}};
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int quillon_file_dots(quillon_file* file, const quillon_picture_options* options,
                      unsigned char image[QUILLON_DISPLAY_BYTES], char* error, size_t error_size)
{
    const Result<PictureOptions> chosen = OptionsOf(options);
    if (!chosen)
        return Fail(chosen.Error(), error, error_size);
    file->notice.clear();
    try {
        const Result<FileDots> dots = file->file.Dots(*chosen);
        if (dots)
            file->notice = dots->notice;
        return Done(dots, image, error, error_size);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory", error, error_size);
    }
}

const char* quillon_file_notice(const quillon_file* file)
{
    return file->notice.c_str();
}

void quillon_close(quillon_file* file)
{
    delete file;
}

const char* quillon_format_name(int index)
{
    const std::span<const Format> formats = Formats();
    return index >= 0 && static_cast<std::size_t>(index) < formats.size() ? formats[index].name.data() : nullptr;
}

const char* quillon_format_extension(const char* format)
{
    const Format* found = format ? FindFormat(format) : nullptr;
    return found ? found->extension.data() : nullptr;
}

int quillon_format_takes_label(const char* format)
{
    const Format* found = format ? FindFormat(format) : nullptr;
    return found && found->takesLabel ? 1 : 0;
}

int quillon_format_holds_frames(const char* format)
{
    const Format* found = format ? FindFormat(format) : nullptr;
    return found && found->holdsFrames ? 1 : 0;
}

int quillon_output_name(const char* input, const void* file, size_t size, const char* format, quillon_bytes* out,
                        char* error, size_t error_size)
{
    const Format* chosen = format ? FindFormat(format) : nullptr;
    if (!chosen)
        return Fail(std::string(format ? format : "(none)") + " is no format", error, error_size);
    const Identity identity = file ? Identify(std::string_view(static_cast<const char*>(file), size)) : Identity{};
    const std::string name = PathText(OutputBeside(PathFromText(input ? input : ""), identity, *chosen));
    return Give(name, out) ? 0 : Fail("out of memory", error, error_size);
}

void quillon_image_dots(const unsigned char image[QUILLON_DISPLAY_BYTES],
                        unsigned char dots[QUILLON_DISPLAY_WIDTH * QUILLON_DISPLAY_HEIGHT])
{
    DisplayImage::Bytes bytes;
    std::memcpy(bytes.data(), image, DisplayBytes);
    const DisplayImage display(bytes);
    for (int y = 0; y < DisplayHeight; ++y) {
        for (int x = 0; x < DisplayWidth; ++x)
            dots[y * DisplayWidth + x] = display.Dot(x, y) ? 1 : 0;
    }
}

unsigned long quillon_dot_colour(int lit)
{
    return HexColour(lit ? SetDotColour : ClearDotColour);
}

int quillon_write(const unsigned char image[QUILLON_DISPLAY_BYTES], const char* format, const char* label,
                  const char* name, quillon_bytes* out, char* error, size_t error_size)
{
    const Result<const Format*> chosen = TableFormat(format, label, false);
    if (!chosen)
        return Fail(chosen.Error(), error, error_size);
    DisplayImage::Bytes bytes;
    std::memcpy(bytes.data(), image, DisplayBytes);
    const std::string written =
        (*chosen)->Write(DisplayImage(bytes), WriteOptions{label ? label : "", name ? name : ""});
    return Give(written, out) ? 0 : Fail("out of memory", error, error_size);
}

int quillon_frames(const void* file, size_t size, const quillon_picture_options* options, const char* format,
                   const char* label, const char* name, quillon_bytes* out, char* error, size_t error_size)
{
    const Result<PictureOptions> chosen = OptionsOf(options);
    const Result<const Format*> written = TableFormat(format, label, true);
    if (!chosen || !written)
        return Fail(!chosen ? chosen.Error() : written.Error(), error, error_size);
    MemorySource source(std::span(static_cast<const std::uint8_t*>(file), size));
    try {
        Result<FileStart> start = ReadFileStart(source);
        if (!start)
            return Fail("cannot be read: " + start.Error(), error, error_size);
        const Result<FileFrames> frames = FramesOf(std::move(*start), source, *chosen);
        if (!frames)
            return Fail(frames.Error(), error, error_size);
        const std::string bytes =
            (*written)->WriteFrames(frames->frames, WriteOptions{label ? label : "", name ? name : ""});
        return Give(bytes, out) ? 0 : Fail("out of memory", error, error_size);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory", error, error_size);
    }
}

void quillon_text_options_init(quillon_text_options* options)
{
    *options = quillon_text_options{nullptr, 0, 0, 0, 0, nullptr, nullptr, 0, 0};
}

int quillon_text(const char* utf8, const quillon_text_options* given, unsigned char image[QUILLON_DISPLAY_BYTES],
                 quillon_bytes* notes, char* error, size_t error_size)
{
    quillon_text_options o;
    quillon_text_options_init(&o);
    if (given)
        o = *given;
    const auto codes = text::TextCodes(utf8 ? utf8 : "");
    if (!codes)
        return Fail("TEXT is not UTF-8", error, error_size);
    std::set<char32_t> wanted(codes->begin(), codes->end());
    wanted.erase(text::NewLine);
    if (o.size < 0 || o.size > text::MaxPixelSize)
        return Fail("--size " + std::to_string(o.size) + " is no pixel size; give 1 to 128", error, error_size);
    const text::FontRequest request{wanted, o.size};
    const Result<text::Font> font =
        o.font ? text::ReadFont(std::string_view(static_cast<const char*>(o.font), o.font_size), request)
               : text::BuiltInFont(request);
    if (!font)
        return Fail(font.Error(), error, error_size);
    const Result<text::GlyphTable> table = text::MakeTable(*font);
    if (!table)
        return Fail(table.Error(), error, error_size);
    DisplayImage::Bytes bytes;
    std::memcpy(bytes.data(), image, DisplayBytes);
    DisplayImage drawn(bytes);
    const text::Drawn cut = text::DrawText(*table, *codes,
                                           {o.x, o.y, text::AlignNamed(o.align ? o.align : ""),
                                            text::AlignNamed(o.valign ? o.valign : ""), o.line_spacing},
                                           drawn);
    if (o.inverse)
        drawn.Invert();
    std::memcpy(image, drawn.bytes().data(), DisplayBytes);
    if (notes) {
        std::string said;
        for (const char32_t code : font->missing)
            said += "font: " + text::MissingNote(*font, code) + "\n";
        if (const std::string note = text::CutOffNote(cut); !note.empty())
            said += "TEXT: " + note + "\n";
        if (!Give(said, notes))
            return Fail("out of memory", error, error_size);
    }
    return 0;
}

}  // extern "C"
