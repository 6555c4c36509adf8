// A dot surface that keeps what was painted, for the walk's tests.
#pragma once

#include "preview/dot_walk.h"

#include <map>
#include <utility>

namespace quillon::test {

class DotCanvas : public DotSurface {
public:
    void Erase() override
    {
        dots.clear();
        ++erased;
    }
    void SetDot(int x, int y, RgbValue colour) override
    {
        dots[{x, y}] = colour;
        ++painted;
    }
    // -1 where nothing was painted.
    RgbValue At(int x, int y) const
    {
        const auto found = dots.find({x, y});
        return found == dots.end() ? -1 : found->second;
    }

    std::map<std::pair<int, int>, RgbValue> dots;
    int painted = 0;
    int erased = 0;
};

}  // namespace quillon::test
