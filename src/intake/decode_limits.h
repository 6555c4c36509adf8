// What every picture decoder shares: the memory bound, the check of declared
// sizes made before anything is allocated, and the per-format entry points
// DecodePicture chooses between.
#pragma once

#include "intake/picture_image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quillon {

// The decoded picture is 4 bytes a pixel; 12 million of them (46 MiB) leave
// 10 MiB of the 56 a decode may use for the decoder's own buffers, and 8 MiB
// of the tool's 64 for the program and the input it holds. The fuzz targets
// build with a smaller cap, so that the fuzzer is not slowed down clearing
// large pictures.
#ifndef QUILLON_MAX_PICTURE_PIXELS
#define QUILLON_MAX_PICTURE_PIXELS 12'000'000
#endif
inline constexpr std::uint64_t MaxPicturePixels = QUILLON_MAX_PICTURE_PIXELS;
inline constexpr std::uint64_t DecodeMemoryBudget = 56ull << 20;

// Why a picture of the declared size cannot be taken (no pixels, or more than
// MaxPicturePixels), or nothing when it can.
std::optional<Failure> CheckPictureSize(std::uint64_t width, std::uint64_t height);

// A picture of the checked size, every pixel transparent black.
PictureImage BlankPicture(int width, int height);

Result<PictureImage> DecodePng(std::span<const std::uint8_t> bytes);
Result<PictureImage> DecodeGif(std::span<const std::uint8_t> bytes, int frame);
Result<PictureImage> DecodeJpeg(std::span<const std::uint8_t> bytes);
Result<PictureImage> DecodePnm(std::span<const std::uint8_t> bytes);
Result<PictureImage> DecodeBmp(std::span<const std::uint8_t> bytes);

}  // namespace quillon
