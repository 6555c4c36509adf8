// Artwork onto the display: a decoded picture of any size and colour turned
// into the 122 x 32 dots, in the order ConvertArtwork runs the steps: orient,
// fit, resample (over the background, in linear light or sRGB), luminance,
// then threshold or dither.
#pragma once

#include "common/display.h"
#include "common/result.h"
#include "intake/picture_image.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

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

// The words the command line, CMake and the web page name each choice by, in
// the order of its enum; the one list of them.
inline constexpr std::array<std::string_view, 4> FitNames = {"contain", "cover", "stretch", "none"};
inline constexpr std::array<std::string_view, 4> DitherNames = {"none", "floyd-steinberg", "atkinson", "bayer"};
inline constexpr std::array<std::string_view, 2> BackgroundNames = {"white", "black"};
inline constexpr std::array<std::string_view, 3> FlipNames = {"none", "h", "v"};
inline constexpr std::array<int, 4> Rotations = {0, 90, 180, 270};

std::string_view FitName(Fit fit);
std::string_view DitherName(Dither dither);
// The choice a word names, or why it names none ("blurry is no --fit: contain, ...").
Result<Fit> FitNamed(std::string_view word);
Result<Dither> DitherNamed(std::string_view word);
Result<Background> BackgroundNamed(std::string_view word);
Result<Flip> FlipNamed(std::string_view word);

// Where colours are mixed, in compositing over the background and averaging
// the pixels under a dot: in linear light, which keeps a dither's tones true,
// or in the picture's own sRGB values, as browsers and image editors mix them,
// which keeps thin dark strokes dark under a threshold (50 % black over white
// is grey 128 there, 188 in linear light).
enum class Light { Linear, Encoded };
// The dithers mix in linear light, the threshold (Dither::None) in sRGB.
Light LightOf(Dither dither);

// A picture seen turned `rotate` degrees clockwise (0, 90, 180, 270), then
// mirrored (Horizontal swaps left and right, Vertical top and bottom): its
// size, and where each of the picture's pixels is seen. Nothing is copied.
struct Orientation {
    int width = 0;  // as seen
    int height = 0;
    // Seen at (x * xx + y * xy + x0, x * yx + y * yy + y0).
    int xx = 1, xy = 0, x0 = 0;
    int yx = 0, yy = 1, y0 = 0;

    int SeenX(int x, int y) const { return x * xx + y * xy + x0; }
    int SeenY(int x, int y) const { return x * yx + y * yy + y0; }
    // Whether a row of the picture is seen as a row (else as a column).
    bool RowsAcross() const { return xy == 0; }
};
Orientation Orient(int width, int height, int rotate, Flip flip);

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

// The display's pixels as grey levels 0 (black) to 255 (white), sRGB-encoded.
using GreyImage = std::array<std::uint8_t, DisplayWidth * DisplayHeight>;

// A picture fitted onto the display as its rows come, in any order: each
// display pixel the average of the picture's area under it (a picture placed
// at its own size taken pixel for pixel), alpha composed over the background,
// the background where the picture does not reach, then Rec. 709 luminance.
// It holds only the display's sums and a few numbers a row or column of the
// picture, so a picture of any height takes the same memory.
class ArtworkSampler final : public PictureSink {
public:
    explicit ArtworkSampler(const ArtworkOptions& options);
    Result<void> Start(int width, int height) override;
    void Row(int y, const std::uint8_t* rgba) override;
    GreyImage Grey() const;

    // A side of a picture it takes is at most this long, as a decoded one is.
    static constexpr int MostSide = 1 << 20;

private:
    struct Sum {
        float red = 0, green = 0, blue = 0, alpha = 0;  // premultiplied
    };
    // For each column (or row) of the picture as seen, the display columns
    // (rows) it falls in and the share of each.
    struct Share {
        int to = 0;
        float part = 0;
    };
    struct Shares {
        std::vector<Share> all;
        std::vector<std::uint32_t> first;  // of each seen index in `all`, and one past the last
        std::span<const Share> Of(int seen) const
        {
            return {all.data() + first[static_cast<std::size_t>(seen)],
                    all.data() + first[static_cast<std::size_t>(seen) + 1]};
        }
    };
    static Shares SharesOf(int size, int scaled, int offset, int count);

    ArtworkOptions options_;
    Light light_;
    int width_ = 0;
    Orientation view_;
    Shares columns_;
    Shares rows_;
    std::vector<Sum> line_;  // one picture row's sums, a display column (row) each
    std::vector<Sum> sums_;  // the display's, row by row
};

// Rec. 709 luminance, encoded to sRGB 0-255: a grey (v, v, v) gives v. In
// linear light from linear values, encoded from values mixed in sRGB.
std::uint8_t GreyOf(float red, float green, float blue, Light light);

// A dot lit where the grey is below `threshold` (0 lights none, 256 all).
DisplayImage Threshold(const GreyImage& grey, int threshold);

// Dark greys to lit dots in a pattern whose share of lit dots follows the
// grey: about (255 - v) / 255 for a flat grey v. Black is always lit, white
// never. Dither::None thresholds at 128.
DisplayImage DitherGrey(const GreyImage& grey, Dither dither);

// The last step with the options: threshold or dither, then inverse.
DisplayImage DotsOf(const GreyImage& grey, const ArtworkOptions& options);

// Every step in order, with the options' inverse applied last.
DisplayImage ConvertArtwork(const PictureImage& picture, const ArtworkOptions& options);

// sRGB level 0-255 to linear light, and linear light to the nearest level.
float LinearOf(std::uint8_t level);
std::uint8_t LevelOf(float linear);

}  // namespace quillon
