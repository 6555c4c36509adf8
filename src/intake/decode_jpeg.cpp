// JPEG through libjpeg-turbo: greyscale, YCbCr and RGB, CMYK and YCCK (with
// Adobe's inverted samples), baseline and progressive. A photo larger than the
// tool takes is decoded at 1/2, 1/4 or 1/8 of its size by the library's DCT
// scaling, which the fitting onto 122 x 32 dots never misses. Errors come back
// through longjmp; the library never ends the program.
#include "common/shared_library.h"
#include "intake/decode_limits.h"

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace quillon {

namespace {

// clang-format off
#define QUILLON_JPEG_FUNCTIONS(F)  \
    F(jpeg_std_error)              \
    F(jpeg_CreateDecompress)       \
    F(jpeg_destroy_decompress)     \
    F(jpeg_mem_src)                \
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
constexpr int TooManyScans = -1;  // our own error code, beside the library's

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

// Warnings pass, except the end of the file: a truncated picture is refused.
void OnMessage(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
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

struct Decoder {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    PictureImage picture;

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

Failure JpegFailure(const ErrorManager& errors)
{
    switch (errors.code) {
        case JWRN_JPEG_EOF:
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
std::optional<Failure> Decode(Decoder& decoder, std::span<const std::uint8_t> bytes)
{
    jpeg_decompress_struct& info = decoder.info;
    // Created here, past the setjmp: the library reports a failure to create
    // (a version it does not know, no memory) through the error manager.
    Lib()->jpeg_CreateDecompress(&info, JPEG_LIB_VERSION, sizeof info);
    decoder.progress.progress_monitor = CountScans;
    info.progress = &decoder.progress;
    Lib()->jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    Lib()->jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0)
        return CheckPictureSize(info.image_width, info.image_height);

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    // Coefficients held whole do not shrink with the scale; the picture does.
    const std::uint64_t held = info.progressive_mode ? CoefficientBytes(info) : 0;
    info.scale_denom = 8;
    for (info.scale_num = 8;; info.scale_num /= 2) {
        Lib()->jpeg_calc_output_dimensions(&info);
        const std::uint64_t pixels = std::uint64_t{info.output_width} * info.output_height;
        if (pixels <= MaxPicturePixels && held + pixels * 4 <= DecodeMemoryBudget)
            break;
        if (info.scale_num == 1) {
            if (pixels > MaxPicturePixels)
                return CheckPictureSize(info.image_width, info.image_height);
            return Failure{"the JPEG needs more memory than the " + std::to_string(DecodeMemoryBudget >> 20) +
                           " MiB this tool allows"};
        }
    }
    // Whatever else the library wants beyond the coefficients must fit too.
    info.mem->max_memory_to_use =
        static_cast<long>(DecodeMemoryBudget - std::uint64_t{info.output_width} * info.output_height * 4);

    Lib()->jpeg_start_decompress(&info);
    decoder.picture = BlankPicture(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        std::uint8_t* row = decoder.picture.rgba.data() + std::size_t{info.output_scanline} * info.output_width * 4;
        JSAMPROW rows[1] = {row};
        if (Lib()->jpeg_read_scanlines(&info, rows, 1) != 1)
            return Failure{"the file ends before the picture does"};
        if (cmyk)
            CmykToRgba(row, info.output_width, inverted);
    }
    Lib()->jpeg_finish_decompress(&info);
    return std::nullopt;
}

}  // namespace

Result<PictureImage> DecodeJpeg(std::span<const std::uint8_t> bytes)
{
    if (!Lib())
        return Failure{Lib().problem};
    Decoder decoder;
    if (setjmp(decoder.errors.escape))
        return JpegFailure(decoder.errors);
    if (std::optional<Failure> failure = Decode(decoder, bytes))
        return *failure;
    return std::move(decoder.picture);
}

}  // namespace quillon
