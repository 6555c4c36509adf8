#include "convert/artwork.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace quillon {

namespace {

constexpr int Pixels = DisplayWidth * DisplayHeight;

double Decode(double encoded)
{
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

// The linear value of each level, and the linear values halfway (in sRGB)
// between neighbouring levels, where rounding turns from one to the next.
struct Levels {
    std::array<float, 256> linear{};
    std::array<float, 256> encoded{};  // level / 255
    std::array<float, 255> boundary{};
    std::array<float, 256> alpha{};  // 255 exactly 1, so an opaque pixel keeps its value
    // The level at the start of each of Buckets equal steps of linear light;
    // no step spans more than two levels, so a search from it is short.
    static constexpr int Buckets = 4096;
    std::array<std::uint8_t, Buckets> start{};
    Levels()
    {
        for (int level = 0; level < 256; ++level)
            alpha[level] = encoded[level] = static_cast<float>(level) / 255.0f;
        for (int level = 0; level < 256; ++level)
            linear[level] = static_cast<float>(Decode(level / 255.0));
        for (int level = 0; level < 255; ++level)
            boundary[level] = static_cast<float>(Decode((level + 0.5) / 255.0));
        int level = 0;
        for (int bucket = 0; bucket < Buckets; ++bucket) {
            while (level < 255 && static_cast<float>(bucket) / Buckets >= boundary[level])
                ++level;
            start[bucket] = static_cast<std::uint8_t>(level);
        }
    }
};

const Levels& LevelTable()
{
    static const Levels levels;
    return levels;
}

// The picture's pixels that make one display pixel along one axis: from
// `first` on, weights summing to 1.
struct Span {
    int first = 0;
    std::vector<float> weights;
};

// For each of the display's `count` pixels along an axis, the spans of the
// source's `size` pixels under it, where the picture is scaled to `scaled`
// pixels starting at display pixel `offset`. Pixels the picture does not reach
// get an empty span.
std::vector<Span> SpansOf(int size, int scaled, int offset, int count)
{
    std::vector<Span> spans(static_cast<std::size_t>(count));
    const double step = static_cast<double>(size) / scaled;
    for (int at = 0; at < count; ++at) {
        const int u = at - offset;
        if (u < 0 || u >= scaled)
            continue;
        const double from = u * step;
        const double to = (u + 1) * step;
        Span& span = spans[static_cast<std::size_t>(at)];
        span.first = static_cast<int>(from);
        const int last = std::min(size, static_cast<int>(std::ceil(to)));
        for (int i = span.first; i < last; ++i)
            span.weights.push_back(static_cast<float>((std::min(to, i + 1.0) - std::max(from, double(i))) / step));
    }
    return spans;
}

}  // namespace

namespace {

template <typename Choice, std::size_t N>
Result<Choice> Named(const std::array<std::string_view, N>& names, std::string_view word, std::string_view option)
{
    for (std::size_t k = 0; k < N; ++k) {
        if (names[k] == word)
            return static_cast<Choice>(k);
    }
    std::string choices;
    for (const std::string_view name : names)
        choices += (choices.empty() ? "" : ", ") + std::string(name);
    return Failure{std::string(word) + " is no " + std::string(option) + ": " + choices};
}

}  // namespace

std::string_view FitName(Fit fit)
{
    return FitNames[static_cast<std::size_t>(fit)];
}

std::string_view DitherName(Dither dither)
{
    return DitherNames[static_cast<std::size_t>(dither)];
}

Result<Fit> FitNamed(std::string_view word)
{
    return Named<Fit>(FitNames, word, "--fit");
}

Result<Dither> DitherNamed(std::string_view word)
{
    return Named<Dither>(DitherNames, word, "--dither");
}

Result<Background> BackgroundNamed(std::string_view word)
{
    return Named<Background>(BackgroundNames, word, "--background");
}

Result<Flip> FlipNamed(std::string_view word)
{
    return Named<Flip>(FlipNames, word, "--flip");
}

float LinearOf(std::uint8_t level)
{
    return LevelTable().linear[level];
}

std::uint8_t LevelOf(float linear)
{
    const Levels& levels = LevelTable();
    const float clamped = std::clamp(linear, 0.0f, 1.0f);
    int level = levels.start[std::min(Levels::Buckets - 1, static_cast<int>(clamped * Levels::Buckets))];
    while (level < 255 && clamped >= levels.boundary[level])
        ++level;
    return static_cast<std::uint8_t>(level);
}

Light LightOf(Dither dither)
{
    return dither == Dither::None ? Light::Encoded : Light::Linear;
}

Orientation Orient(int width, int height, int rotate, Flip flip)
{
    Orientation view{width, height};
    switch (rotate) {
        case 90:  // seen at (height - 1 - y, x)
            view = {height, width, 0, -1, height - 1, 1, 0, 0};
            break;
        case 180:
            view = {width, height, -1, 0, width - 1, 0, -1, height - 1};
            break;
        case 270:  // seen at (y, width - 1 - x)
            view = {height, width, 0, 1, 0, -1, 0, width - 1};
            break;
        default:
            break;
    }
    if (flip == Flip::Horizontal)
        view.xx = -view.xx, view.xy = -view.xy, view.x0 = view.width - 1 - view.x0;
    else if (flip == Flip::Vertical)
        view.yx = -view.yx, view.yy = -view.yy, view.y0 = view.height - 1 - view.y0;
    return view;
}

Placement FitOnDisplay(int width, int height, Fit fit)
{
    Placement placement{width, height, 0, 0};
    const double across = static_cast<double>(DisplayWidth) / width;
    const double down = static_cast<double>(DisplayHeight) / height;
    if (fit == Fit::Stretch) {
        placement.width = DisplayWidth;
        placement.height = DisplayHeight;
    } else if (fit != Fit::None) {
        const double scale = fit == Fit::Contain ? std::min(across, down) : std::max(across, down);
        // The side that sets the scale fills the display exactly.
        placement.width = scale == across ? DisplayWidth : std::max(1, static_cast<int>(std::lround(width * scale)));
        placement.height = scale == down ? DisplayHeight : std::max(1, static_cast<int>(std::lround(height * scale)));
    }
    placement.left = (DisplayWidth - placement.width) / 2;
    placement.top = (DisplayHeight - placement.height) / 2;
    return placement;
}

ArtworkSampler::ArtworkSampler(const ArtworkOptions& options) : options_(options), light_(LightOf(options.dither)) {}

ArtworkSampler::Shares ArtworkSampler::SharesOf(int size, int scaled, int offset, int count)
{
    // The spans under each display pixel, turned round: for each of the
    // picture's pixels, the display pixels over it.
    const std::vector<Span> spans = SpansOf(size, scaled, offset, count);
    Shares shares;
    shares.first.assign(static_cast<std::size_t>(size) + 1, 0);
    for (const Span& span : spans) {
        for (std::size_t i = 0; i < span.weights.size(); ++i)
            ++shares.first[static_cast<std::size_t>(span.first) + i + 1];
    }
    for (std::size_t i = 1; i < shares.first.size(); ++i)
        shares.first[i] += shares.first[i - 1];
    shares.all.resize(shares.first.back());
    std::vector<std::uint32_t> next(shares.first.begin(), shares.first.end() - 1);
    for (int to = 0; to < count; ++to) {
        const Span& span = spans[static_cast<std::size_t>(to)];
        for (std::size_t i = 0; i < span.weights.size(); ++i)
            shares.all[next[static_cast<std::size_t>(span.first) + i]++] = Share{to, span.weights[i]};
    }
    return shares;
}

Result<void> ArtworkSampler::Start(int width, int height)
{
    if (width > MostSide || height > MostSide)
        return Failure{std::to_string(width) + " x " + std::to_string(height) + " pixels: a side of more than " +
                       std::to_string(MostSide) + " pixels is more than this tool takes"};
    width_ = width;
    view_ = Orient(width, height, options_.rotate, options_.flip);
    const Placement placement = FitOnDisplay(view_.width, view_.height, options_.fit);
    columns_ = SharesOf(view_.width, placement.width, placement.left, DisplayWidth);
    rows_ = SharesOf(view_.height, placement.height, placement.top, DisplayHeight);
    line_.assign(static_cast<std::size_t>(view_.RowsAcross() ? DisplayWidth : DisplayHeight), Sum{});
    sums_.assign(static_cast<std::size_t>(DisplayWidth * DisplayHeight), Sum{});
    return {};
}

void ArtworkSampler::Row(int y, const std::uint8_t* rgba)
{
    const Levels& levels = LevelTable();
    const std::array<float, 256>& value = light_ == Light::Linear ? levels.linear : levels.encoded;
    const bool across = view_.RowsAcross();
    // The row is seen as one row (across) or one column of the picture as seen.
    const std::span<const Share> outer = across ? rows_.Of(view_.SeenY(0, y)) : columns_.Of(view_.SeenX(0, y));
    if (outer.empty())
        return;  // cropped
    const Shares& inner = across ? columns_ : rows_;
    std::fill(line_.begin(), line_.end(), Sum{});
    // Neighbouring pixels mostly add to the same dot: their sum is kept in
    // registers until the dot changes, not added to memory pixel by pixel.
    Sum run{};
    int runTo = -1;
    const auto flush = [&] {
        if (runTo >= 0) {
            Sum& sum = line_[static_cast<std::size_t>(runTo)];
            sum.red += run.red;
            sum.green += run.green;
            sum.blue += run.blue;
            sum.alpha += run.alpha;
        }
    };
    for (int x = 0; x < width_; ++x) {
        const std::span<const Share> shares = inner.Of(across ? view_.SeenX(x, y) : view_.SeenY(x, y));
        const std::uint8_t* pixel = rgba + static_cast<std::size_t>(x) * 4;
        const float opacity = levels.alpha[pixel[3]];
        const float red = value[pixel[0]];
        const float green = value[pixel[1]];
        const float blue = value[pixel[2]];
        for (const Share& share : shares) {
            if (share.to != runTo) {
                flush();
                run = Sum{};
                runTo = share.to;
            }
            const float alpha = share.part * opacity;
            run.red += alpha * red;
            run.green += alpha * green;
            run.blue += alpha * blue;
            run.alpha += alpha;
        }
    }
    flush();
    for (const Share& share : outer) {
        for (std::size_t k = 0; k < line_.size(); ++k) {
            const std::size_t at = across ? static_cast<std::size_t>(share.to) * DisplayWidth + k
                                          : k * DisplayWidth + static_cast<std::size_t>(share.to);
            Sum& to = sums_[at];
            const Sum& from = line_[k];
            to.red += share.part * from.red;
            to.green += share.part * from.green;
            to.blue += share.part * from.blue;
            to.alpha += share.part * from.alpha;
        }
    }
}

GreyImage ArtworkSampler::Grey() const
{
    const float backdrop = options_.background == Background::White ? 1.0f : 0.0f;
    GreyImage grey;
    for (int i = 0; i < Pixels; ++i) {
        const Sum sum = sums_.empty() ? Sum{} : sums_[static_cast<std::size_t>(i)];  // empty: never started
        const float behind = backdrop * (1.0f - std::min(1.0f, sum.alpha));
        grey[static_cast<std::size_t>(i)] = GreyOf(sum.red + behind, sum.green + behind, sum.blue + behind, light_);
    }
    return grey;
}

std::uint8_t GreyOf(float red, float green, float blue, Light light)
{
    const float luminance = 0.2126f * red + 0.7152f * green + 0.0722f * blue;
    if (light == Light::Linear)
        return LevelOf(luminance);
    return static_cast<std::uint8_t>(std::lround(std::clamp(luminance, 0.0f, 1.0f) * 255.0f));
}

DisplayImage Threshold(const GreyImage& grey, int threshold)
{
    DisplayImage image;
    for (int y = 0; y < DisplayHeight; ++y) {
        for (int x = 0; x < DisplayWidth; ++x)
            image.SetDot(x, y, grey[static_cast<std::size_t>(y * DisplayWidth + x)] < threshold);
    }
    return image;
}

namespace {

// Where an error-diffusion dither sends a pixel's error: to the pixel
// (dx, dy) away, in this share.
struct Share {
    int dx, dy;
    float part;
};
constexpr Share FloydSteinbergShares[] = {{1, 0, 7 / 16.0f}, {-1, 1, 3 / 16.0f}, {0, 1, 5 / 16.0f}, {1, 1, 1 / 16.0f}};
// Atkinson's keeps a quarter of the error back, which keeps highlights and
// shadows clean.
constexpr Share AtkinsonShares[] = {{1, 0, 1 / 8.0f}, {2, 0, 1 / 8.0f}, {-1, 1, 1 / 8.0f},
                                    {0, 1, 1 / 8.0f}, {1, 1, 1 / 8.0f}, {0, 2, 1 / 8.0f}};

template <std::size_t N>
DisplayImage Diffuse(const GreyImage& grey, const Share (&shares)[N], bool serpentine)
{
    std::array<float, Pixels> value;
    for (int i = 0; i < Pixels; ++i)
        value[static_cast<std::size_t>(i)] = grey[static_cast<std::size_t>(i)];
    DisplayImage image;
    for (int y = 0; y < DisplayHeight; ++y) {
        // Every other row right to left keeps the error from drifting one way.
        const bool back = serpentine && y % 2 == 1;
        for (int step = 0; step < DisplayWidth; ++step) {
            const int x = back ? DisplayWidth - 1 - step : step;
            const float level = value[static_cast<std::size_t>(y * DisplayWidth + x)];
            const bool lit = level < 127.5f;
            image.SetDot(x, y, lit);
            const float error = level - (lit ? 0.0f : 255.0f);
            for (const Share& share : shares) {
                const int tx = x + (back ? -share.dx : share.dx);
                const int ty = y + share.dy;
                if (tx >= 0 && tx < DisplayWidth && ty < DisplayHeight)
                    value[static_cast<std::size_t>(ty * DisplayWidth + tx)] += error * share.part;
            }
        }
    }
    return image;
}

DisplayImage Ordered(const GreyImage& grey)
{
    // The 8 x 8 Bayer matrix: each of 0..63 once, neighbours far apart.
    constexpr int Matrix[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                  {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                  {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                  {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
    DisplayImage image;
    for (int y = 0; y < DisplayHeight; ++y) {
        for (int x = 0; x < DisplayWidth; ++x) {
            // Thresholds spread evenly over 0..255, none at either end.
            const float threshold = (Matrix[y % 8][x % 8] + 0.5f) * (255.0f / 64);
            image.SetDot(x, y, grey[static_cast<std::size_t>(y * DisplayWidth + x)] < threshold);
        }
    }
    return image;
}

}  // namespace

DisplayImage DitherGrey(const GreyImage& grey, Dither dither)
{
    switch (dither) {
        case Dither::FloydSteinberg:
            return Diffuse(grey, FloydSteinbergShares, true);
        case Dither::Atkinson:
            return Diffuse(grey, AtkinsonShares, false);
        case Dither::Bayer:
            return Ordered(grey);
        case Dither::None:
            break;
    }
    return Threshold(grey, 128);
}

DisplayImage DotsOf(const GreyImage& grey, const ArtworkOptions& options)
{
    DisplayImage image =
        options.dither == Dither::None ? Threshold(grey, options.threshold) : DitherGrey(grey, options.dither);
    if (options.inverse) {
        for (std::size_t i = 0; i < DisplayBytes; ++i)
            image.SetByte(i, static_cast<std::uint8_t>(~image.Byte(i)));
    }
    return image;
}

DisplayImage ConvertArtwork(const PictureImage& picture, const ArtworkOptions& options)
{
    ArtworkSampler sampler(options);
    // A picture held whole fits the sampler's bounds: it is far smaller.
    (void)FeedPicture(picture, sampler);
    return DotsOf(sampler.Grey(), options);
}

}  // namespace quillon
