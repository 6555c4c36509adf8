// What every picture decoder shares: the memory bound, the check of declared
// sizes made before anything is allocated, and the per-format entry points
// DecodePicture chooses between.
#pragma once

#include "intake/picture_image.h"

#include <cstdint>
#include <span>
#include <string>

namespace quillon {

// A picture held whole is 4 bytes a pixel; 12 million of them (46 MiB) leave
// 10 MiB of the 56 a decode may use for the decoder's own buffers, and 8 MiB
// of the tool's 64 for the program and the input it holds. A picture handed
// over row by row is held by no one, so it may be far larger: its rows and
// the decoder's buffers grow with its width alone. The fuzz targets build with
// smaller caps, so that the fuzzer is not slowed down by large pictures.
#ifndef QUILLON_MAX_PICTURE_PIXELS
#define QUILLON_MAX_PICTURE_PIXELS 12'000'000
#endif
#ifndef QUILLON_MAX_STREAMED_PIXELS
#define QUILLON_MAX_STREAMED_PIXELS 128'000'000
#endif
inline constexpr std::uint64_t MaxPicturePixels = QUILLON_MAX_PICTURE_PIXELS;
inline constexpr std::uint64_t MaxStreamedPixels = QUILLON_MAX_STREAMED_PIXELS;
inline constexpr std::uint64_t DecodeMemoryBudget = 56ull << 20;
// The longest side taken: a row or column of the picture costs a few bytes a
// pixel wherever it is fitted onto the display.
inline constexpr std::uint64_t MaxPictureSide = 1 << 20;

// Why a picture of the declared size cannot be taken (no pixels, a side
// longer than MaxPictureSide, or more than `most` pixels), or done when it can.
Result<void> CheckPictureSize(std::uint64_t width, std::uint64_t height, std::uint64_t most = MaxStreamedPixels);

// A picture of the checked size, every pixel transparent black.
PictureImage BlankPicture(int width, int height);

// A whole file of a format read by our own readers, which parse it in memory:
// at most this many bytes.
inline constexpr std::size_t MaxHeldFileBytes = 16 * 1024 * 1024;
// The source's bytes, up to MaxHeldFileBytes; a longer file is refused.
Result<std::vector<std::uint8_t>> ReadWhole(ByteSource& source);

// The decoders, one a format, each reading its file from the source's start.
Result<void> DecodePng(ByteSource& source, const DecodeOptions& options, PictureSink& sink);
Result<void> DecodeGif(ByteSource& source, const DecodeOptions& options, PictureSink& sink);
Result<void> DecodeJpeg(ByteSource& source, const DecodeOptions& options, PictureSink& sink);
Result<void> DecodePnm(ByteSource& source, const DecodeOptions& options, PictureSink& sink);
Result<void> DecodeBmp(ByteSource& source, const DecodeOptions& options, PictureSink& sink);

}  // namespace quillon
