// giflib's functions this tool calls (reading GIF pictures, writing the
// glass's recordings), from libgif.so.7 loaded on first use.
#pragma once

#include "common/shared_library.h"

#include <gif_lib.h>

namespace quillon {

// clang-format off
#define QUILLON_GIF_FUNCTIONS(F) \
    F(DGifOpen)                  \
    F(DGifCloseFile)             \
    F(GifErrorString)            \
    F(DGifGetRecordType)         \
    F(DGifGetExtension)          \
    F(DGifGetExtensionNext)      \
    F(DGifExtensionToGCB)        \
    F(DGifGetImageDesc)          \
    F(GifFreeSavedImages)        \
    F(DGifGetLine)               \
    F(DGifGetCode)               \
    F(DGifGetCodeNext)           \
    F(EGifOpen)                  \
    F(EGifCloseFile)             \
    F(EGifSetGifVersion)         \
    F(EGifPutScreenDesc)         \
    F(EGifPutExtensionLeader)    \
    F(EGifPutExtensionBlock)     \
    F(EGifPutExtensionTrailer)   \
    F(EGifPutExtension)          \
    F(EGifGCBToExtension)        \
    F(EGifPutImageDesc)          \
    F(EGifPutLine)               \
    F(GifMakeMapObject)          \
    F(GifFreeMapObject)
// clang-format on

// The run-time name must be the library these headers describe.
static_assert(GIFLIB_MAJOR == 5 && GIFLIB_MINOR >= 1,
              "libgif.so.7 is loaded: build with the headers of giflib 5.1 or later");

struct Giflib {
    QUILLON_GIF_FUNCTIONS(QUILLON_FUNCTION_MEMBER)
};

inline const Loaded<Giflib>& LoadGiflib()
{
    return LoadOnce<Giflib>("libgif.so.7", "libgif7", [](SharedLibrary& library, Giflib& api) {
        (void)library;
        QUILLON_GIF_FUNCTIONS(QUILLON_FUNCTION_LOOKUP)
    });
}

}  // namespace quillon
