// The glass over simulated time, as the firmware means it to be watched: each
// picture it rests on, written in a burst of writes and then left alone long
// enough to be seen, shown from the start of its burst to the start of the
// next. What the glass showed within a burst (a picture half drawn, one byte
// after another) is passed over, so a firmware that draws its frames on a
// timer is recorded at the timer's pace, however long a frame takes to draw.
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
    // A pause of `shortest` clock periods without a write ends a burst; no
    // write is taken after `end`.
    Recording(Tick shortest, Tick end) : shortest_(shortest), end_(end) {}

    // The glass after a write at `tick` (GlassOptions::onWrite).
    void Take(Tick tick, const Display& display);
    // The states from the start (the glass before any write) to `end`, or to
    // `stopped` when that came first.
    std::vector<ShownState> Finish(Tick stopped);

private:
    struct Held {
        DisplayImage image;
        Tick since = 0;  // the start of the burst that drew it
    };
    void Keep(const Held& state);

    Tick shortest_;
    Tick end_;
    std::vector<Held> kept_;
    Held current_{};  // the glass before any write: every controller off, nothing shown
    Tick lastWrite_ = 0;
};

}  // namespace quillon::glass
