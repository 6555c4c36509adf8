#include "convert/sampling.h"

#include <cmath>

namespace quillon {

std::int64_t RoundHalfEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    auto whole = static_cast<std::int64_t>(below);
    if (fraction > 0.5 || (fraction == 0.5 && whole % 2 != 0))
        ++whole;
    return whole;
}

DisplayImage DisplayOf(const MonoPicture& picture, bool inverse)
{
    ScanState state = DisplayScanState();
    return SampleDisplay(state, ColourOf(picture.table[inverse ? 1 : 0]),
                         [&](int x, int y) { return picture.Pixel(x, y); });
}

}  // namespace quillon
