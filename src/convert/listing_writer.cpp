#include "convert/listing_writer.h"

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

}  // namespace quillon
