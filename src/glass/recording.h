// The glass over simulated time, as a viewer would watch it: each state the
// glass held long enough to be seen, with how long it showed. A state shorter
// than that (a picture half drawn, one byte after another) is passed over and
// its time given to the state before it.
#pragma once

#include "glass/sed1520.h"

#include <vector>

namespace quillon::glass {

struct ShownState {
    DisplayImage image;
    Tick ticks = 0;  // how long it showed, in clock periods
};

class Recording {
public:
    // States held for fewer than `shortest` clock periods are passed over;
    // none is taken after `end`.
    Recording(Tick shortest, Tick end) : shortest_(shortest), end_(end) {}

    // The glass after a write at `tick` (GlassOptions::onWrite).
    void Take(Tick tick, const Display& display);
    // The states from the start (the glass before any write) to `end`, or to
    // `stopped` when that came first.
    std::vector<ShownState> Finish(Tick stopped);

private:
    struct Held {
        DisplayImage image;
        Tick since = 0;
    };
    void Keep(const Held& state);

    Tick shortest_;
    Tick end_;
    std::vector<Held> kept_;
    Held current_{};  // the glass before any write: every controller off, nothing shown
};

}  // namespace quillon::glass
