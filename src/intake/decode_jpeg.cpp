// JPEG through libjpeg-turbo: greyscale, YCbCr and RGB, CMYK and YCCK (with
// Adobe's inverted samples), baseline and progressive. The file is read as it
// is decoded and each row handed on as it is made; a progressive file's
// coefficients are held whole, which bounds its size. A photo larger than the
// tool takes is decoded at 1/2, 1/4 or 1/8 of its size by the library's DCT
// scaling, which the fitting onto 122 x 32 dots never misses. Errors come back
// through longjmp; the library never ends the program.
#include "common/shared_library.h"
#include "intake/decode_limits.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace quillon {

namespace {

// clang-format off
#define QUILLON_JPEG_FUNCTIONS(F)  \
    F(jpeg_std_error)              \
    F(jpeg_CreateDecompress)       \
    F(jpeg_destroy_decompress)     \
    F(jpeg_resync_to_restart)      \
    F(jpeg_read_header)            \
    F(jpeg_calc_output_dimensions) \
    F(jpeg_start_decompress)       \
    F(jpeg_read_scanlines)         \
    F(jpeg_finish_decompress)
// clang-format on

// The run-time name must be the library these headers describe.
static_assert(JPEG_LIB_VERSION == 62, "libjpeg.so.62 is loaded: build with the headers of libjpeg62-turbo");

struct Libjpeg {
    QUILLON_JPEG_FUNCTIONS(QUILLON_FUNCTION_MEMBER)
};

const Loaded<Libjpeg>& Lib()
{
    return LoadOnce<Libjpeg>("libjpeg.so.62", "libjpeg62-turbo", [](SharedLibrary& library, Libjpeg& api) {
        (void)library;
        QUILLON_JPEG_FUNCTIONS(QUILLON_FUNCTION_LOOKUP)
    });
}

// A corrupt file could hold thousands of tiny progressive scans, each a pass
// over the whole picture; real ones have about ten.
constexpr int MaxScans = 500;
constexpr int TooManyScans = -1;  // our own error codes, beside the library's
constexpr int SourceFailed = -2;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
    int code;
};

[[noreturn]] void Escape(j_common_ptr info)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    errors->code = errors->base.msg_code;
    errors->base.format_message(info, errors->message);
    std::longjmp(errors->escape, 1);
}

// Warnings pass, except the end of the file or of the data before the
// picture is whole: a truncated picture is refused, not padded out (a few
// bytes could otherwise declare millions of padded pixels).
void OnMessage(j_common_ptr info, int level)
{
    if (level < 0 && (info->err->msg_code == JWRN_JPEG_EOF || info->err->msg_code == JWRN_HIT_MARKER))
        Escape(info);
}

void CountScans(j_common_ptr info)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > MaxScans) {
        auto* errors = reinterpret_cast<ErrorManager*>(info->err);
        errors->code = TooManyScans;
        std::longjmp(errors->escape, 1);
    }
}

// Bytes the library keeps for a picture held whole as DCT coefficients (a
// progressive or multi-scan file): 64 two-byte coefficients per block.
std::uint64_t CoefficientBytes(const jpeg_decompress_struct& info)
{
    std::uint64_t total = 0;
    for (int k = 0; k < info.num_components; ++k) {
        const jpeg_component_info& component = info.comp_info[k];
        const std::uint64_t across = (component.width_in_blocks + component.h_samp_factor - 1u) /
                                     component.h_samp_factor * component.h_samp_factor;
        const std::uint64_t down = (component.height_in_blocks + component.v_samp_factor - 1u) /
                                   component.v_samp_factor * component.v_samp_factor;
        total += across * down * DCTSIZE2 * sizeof(JCOEF);
    }
    return total;
}

// Turns a row of CMYK pixels into RGBA in place. Adobe's files store every
// sample inverted (255 is no ink), which is what libjpeg hands over for them.
void CmykToRgba(std::uint8_t* row, std::size_t width, bool inverted)
{
    for (std::size_t x = 0; x < width; ++x, row += 4) {
        const unsigned k = inverted ? row[3] : 255u - row[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned ink = inverted ? row[c] : 255u - row[c];
            row[c] = static_cast<std::uint8_t>((ink * k + 127) / 255);
        }
        row[3] = 255;
    }
}

// The file, read through a source as the library asks for more.
struct SourceManager {
    jpeg_source_mgr base;
    ByteSource* source;
    std::string problem;
    JOCTET buffer[64 * 1024];
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr info)
{
    auto* manager = reinterpret_cast<SourceManager*>(info->src);
    std::size_t count = 0;
    {
        // Gone before a longjmp, which would skip its destructor.
        const Result<std::size_t> got = manager->source->Read(manager->buffer, sizeof manager->buffer);
        if (got)
            count = *got;
        else
            manager->problem = got.Error();
    }
    if (!manager->problem.empty()) {
        auto* errors = reinterpret_cast<ErrorManager*>(info->err);
        errors->code = SourceFailed;
        std::longjmp(errors->escape, 1);
    }
    if (count == 0) {
        // As the library's own sources do: a warning, then an end marker.
        WARNMS(info, JWRN_JPEG_EOF);
        manager->buffer[0] = 0xFF;
        manager->buffer[1] = JPEG_EOI;
        manager->base.next_input_byte = manager->buffer;
        manager->base.bytes_in_buffer = 2;
        return TRUE;
    }
    manager->base.next_input_byte = manager->buffer;
    manager->base.bytes_in_buffer = count;
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count)
{
    auto* manager = reinterpret_cast<SourceManager*>(info->src);
    while (count > 0) {
        if (manager->base.bytes_in_buffer == 0)
            FillInput(info);
        const std::size_t skipped =
            std::min<std::size_t>(static_cast<std::size_t>(count), manager->base.bytes_in_buffer);
        manager->base.next_input_byte += skipped;
        manager->base.bytes_in_buffer -= skipped;
        count -= static_cast<long>(skipped);
    }
}

struct Decoder {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    SourceManager input{};
    // Kept here, not in Decode: a longjmp out of the library skips Decode's destructors.
    std::vector<std::uint8_t> row;

    Decoder()
    {
        info.err = Lib()->jpeg_std_error(&errors.base);
        errors.base.error_exit = Escape;
        errors.base.emit_message = OnMessage;
    }
    // Safe on a structure never created: it frees only what the library made.
    ~Decoder() { Lib()->jpeg_destroy_decompress(&info); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
};

Failure JpegFailure(const Decoder& decoder)
{
    const ErrorManager& errors = decoder.errors;
    switch (errors.code) {
        case SourceFailed:
            return Failure{decoder.input.problem};
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
            return Failure{"the file ends before the picture does"};
        case JERR_NO_BACKING_STORE:
        case JERR_OUT_OF_MEMORY:
            return Failure{"the JPEG needs more memory than the " + std::to_string(DecodeMemoryBudget >> 20) +
                           " MiB this tool allows"};
        case TooManyScans:
            return Failure{"the JPEG has more than " + std::to_string(MaxScans) + " scans: it is damaged"};
        default:
            break;
    }
    return Failure{std::string("damaged or unsupported JPEG: ") + errors.message};
}

// Decodes with `decoder`, whose error manager has already been armed.
Result<void> Decode(Decoder& decoder, ByteSource& source, PictureSink& sink)
{
    jpeg_decompress_struct& info = decoder.info;
    // Created here, past the setjmp: the library reports a failure to create
    // (a version it does not know, no memory) through the error manager.
    Lib()->jpeg_CreateDecompress(&info, JPEG_LIB_VERSION, sizeof info);
    decoder.progress.progress_monitor = CountScans;
    info.progress = &decoder.progress;
    decoder.input.source = &source;
    decoder.input.base = {nullptr, 0, InitSource, FillInput, SkipInput, Lib()->jpeg_resync_to_restart, TermSource};
    info.src = &decoder.input.base;
    Lib()->jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0)
        return CheckPictureSize(info.image_width, info.image_height);

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    // Coefficients held whole do not shrink with the scale; the rows do.
    const std::uint64_t held = info.progressive_mode ? CoefficientBytes(info) : 0;
    if (held > DecodeMemoryBudget)
        return Failure{"the JPEG needs more memory than the " + std::to_string(DecodeMemoryBudget >> 20) +
                       " MiB this tool allows"};
    info.scale_denom = 8;
    for (info.scale_num = 8;; info.scale_num /= 2) {
        Lib()->jpeg_calc_output_dimensions(&info);
        if (std::uint64_t{info.output_width} * info.output_height <= MaxStreamedPixels)
            break;
        if (info.scale_num == 1)
            return CheckPictureSize(info.image_width, info.image_height);
    }
    // Whatever else the library wants beyond the coefficients must fit too.
    info.mem->max_memory_to_use = static_cast<long>(DecodeMemoryBudget);

    Lib()->jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    if (Result<void> started = sink.Start(width, static_cast<int>(info.output_height)); !started)
        return started;
    std::vector<std::uint8_t>& row = decoder.row;
    row.resize(static_cast<std::size_t>(width) * 4);
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        if (Lib()->jpeg_read_scanlines(&info, rows, 1) != 1)
            return Failure{"the file ends before the picture does"};
        if (cmyk)
            CmykToRgba(row.data(), info.output_width, inverted);
        sink.Row(y, row.data());
    }
    Lib()->jpeg_finish_decompress(&info);
    return {};
}

}  // namespace

Result<void> DecodeJpeg(ByteSource& source, const DecodeOptions&, PictureSink& sink)
{
    if (!Lib())
        return Failure{Lib().problem};
    Decoder decoder;
    if (setjmp(decoder.errors.escape))
        return JpegFailure(decoder);
    return Decode(decoder, source, sink);
}

}  // namespace quillon
