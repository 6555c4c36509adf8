#include "glass/recording.h"

#include <algorithm>

namespace quillon::glass {

void Recording::Keep(const Held& state)
{
    // A state that comes back after one passed over goes on as it was.
    if (kept_.empty() || kept_.back().image != state.image)
        kept_.push_back(state);
}

void Recording::Take(Tick tick, const Display& display)
{
    if (tick > end_)
        return;
    // After a pause the glass showed what the burst before it drew.
    if (tick - lastWrite_ >= shortest_) {
        Keep(current_);
        current_.since = tick;
    }
    lastWrite_ = tick;
    current_.image = display.Shown();
}

std::vector<ShownState> Recording::Finish(Tick stopped)
{
    const Tick end = std::min(stopped, end_);
    if (end - lastWrite_ >= shortest_ || kept_.empty())
        Keep(current_);
    std::vector<ShownState> states;
    for (std::size_t k = 0; k < kept_.size(); ++k) {
        const Tick until = k + 1 < kept_.size() ? kept_[k + 1].since : end;
        states.push_back(ShownState{kept_[k].image, until - kept_[k].since});
    }
    return states;
}

}  // namespace quillon::glass
