// Artwork onto the display: a decoded picture of any size and colour turned
// into the 122 x 32 dots, one step a function, in the order ConvertArtwork
// runs them: orient, fit, resample (in linear light, over the background),
// luminance, then threshold or dither.
#pragma once

#include "formats/display_image.h"
#include "intake/picture_image.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillon {

enum class Fit { Contain, Cover, Stretch, None };
enum class Background { White, Black };
enum class Dither { None, FloydSteinberg, Atkinson, Bayer };
enum class Flip { None, Horizontal, Vertical };

struct ArtworkOptions {
    Fit fit = Fit::Contain;
    Background background = Background::White;
    Dither dither = Dither::None;
    int threshold = 128;  // with Dither::None: a grey v is lit when v < threshold
    int rotate = 0;       // clockwise: 0, 90, 180 or 270
    Flip flip = Flip::None;
    bool inverse = false;  // light the light pixels instead of the dark ones
};

// The names the command line and CMake give them, and back (false for a name
// that is none).
std::string_view FitName(Fit fit);
std::string_view DitherName(Dither dither);
bool ParseFit(std::string_view name, Fit& fit);
bool ParseDither(std::string_view name, Dither& dither);

// A picture seen turned and mirrored, without copying it: pixel (x, y) of the
// view is pixel first + x * xStep + y * yStep of the picture (in pixels).
struct OrientedPicture {
    const PictureImage* picture = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t first = 0;
    std::ptrdiff_t xStep = 1;
    std::ptrdiff_t yStep = 0;

    const std::uint8_t* Pixel(int x, int y) const { return picture->rgba.data() + (first + x * xStep + y * yStep) * 4; }
};

// Turns the picture `rotate` degrees clockwise (0, 90, 180, 270), then mirrors
// it: Horizontal swaps left and right, Vertical top and bottom.
OrientedPicture Orient(const PictureImage& picture, int rotate, Flip flip);

// Where a width x height picture lands on the display: scaled to
// width x height pixels, its top-left at (left, top), which is negative where
// it is cropped. Centred; an odd pixel of padding or cropping goes to the
// right and bottom.
struct Placement {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    friend bool operator==(const Placement&, const Placement&) = default;
};
Placement FitOnDisplay(int width, int height, Fit fit);

// The display's pixels in linear light (0 to 1), alpha composed over the
// background, row by row from the top-left.
struct LinearRgb {
    float red = 0, green = 0, blue = 0;
};
using LinearImage = std::array<LinearRgb, DisplayWidth * DisplayHeight>;

// Each display pixel the average of the picture's area under it, in linear
// light; the background where the picture does not reach. A placement of the
// picture's own size takes its pixels as they are.
LinearImage Resample(const OrientedPicture& picture, const Placement& placement, Background background);

// The display's pixels as grey levels 0 (black) to 255 (white), sRGB-encoded.
using GreyImage = std::array<std::uint8_t, DisplayWidth * DisplayHeight>;

// Rec. 709 luminance of linear light, encoded back to sRGB: a grey (v, v, v)
// gives v.
GreyImage Luminance(const LinearImage& image);

// A dot lit where the grey is below `threshold` (0 lights none, 256 all).
DisplayImage Threshold(const GreyImage& grey, int threshold);

// Dark greys to lit dots in a pattern whose share of lit dots follows the
// grey: about (255 - v) / 255 for a flat grey v. Black is always lit, white
// never. Dither::None thresholds at 128.
DisplayImage DitherGrey(const GreyImage& grey, Dither dither);

// Every step in order, with the options' inverse applied last.
DisplayImage ConvertArtwork(const PictureImage& picture, const ArtworkOptions& options);

// sRGB level 0-255 to linear light, and linear light to the nearest level.
float LinearOf(std::uint8_t level);
std::uint8_t LevelOf(float linear);

}  // namespace quillon
