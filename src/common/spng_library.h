// libspng's functions this tool calls (reading PNG pictures, writing the
// preview's), from libspng.so.0 loaded on first use.
#pragma once

#include "common/shared_library.h"

#include <spng.h>

namespace quillon {

// clang-format off
#define QUILLON_SPNG_FUNCTIONS(F) \
    F(spng_ctx_new)               \
    F(spng_ctx_free)              \
    F(spng_strerror)              \
    F(spng_set_image_limits)      \
    F(spng_set_chunk_limits)      \
    F(spng_set_crc_action)        \
    F(spng_set_png_stream)        \
    F(spng_get_ihdr)              \
    F(spng_decode_image)          \
    F(spng_get_row_info)          \
    F(spng_decode_row)            \
    F(spng_set_option)            \
    F(spng_set_ihdr)              \
    F(spng_set_plte)              \
    F(spng_set_trns)              \
    F(spng_encode_image)          \
    F(spng_get_png_buffer)
// clang-format on

// The run-time name must be the library these headers describe.
static_assert(SPNG_VERSION_MAJOR == 0, "libspng.so.0 is loaded: build with the headers of libspng 0.x");

struct Spng {
    QUILLON_SPNG_FUNCTIONS(QUILLON_FUNCTION_MEMBER)
};

inline const Loaded<Spng>& LoadSpng()
{
    return LoadOnce<Spng>("libspng.so.0", "libspng0", [](SharedLibrary& library, Spng& api) {
        (void)library;
        QUILLON_SPNG_FUNCTIONS(QUILLON_FUNCTION_LOOKUP)
    });
}

}  // namespace quillon
