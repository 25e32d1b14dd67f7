#include "app/controller/frame_memory.h"

#include "ax/screen_geometry.h"
#include "ax/window_access.h"

#include <algorithm>

namespace morvanta {

bool FrameMemory::isApplied(WindowID id, const Rect& target) const {
    const auto it = applied_.find(id);
    return it != applied_.end() && it->second == target;
}

void FrameMemory::setApplied(WindowID id, const Rect& target) {
    applied_[id] = target;
}

void FrameMemory::forgetApplied(WindowID id) {
    applied_.erase(id);
}

void FrameMemory::forgetAllApplied() {
    applied_.clear();
}

std::optional<Size> FrameMemory::learnMinimum(WindowID id, const AXWindow& window,
                                              const Rect& target, const Rect& landed) {
    // A window that sizes in steps may end up to one step off its target; only a size beyond
    // that is a refusal to shrink.
    const auto step = incrementOf(id, window);
    const double slackW = std::max(tolerance, step ? step->width : 0.0);
    const double slackH = std::max(tolerance, step ? step->height : 0.0);
    const auto known = minimums_.find(id);
    const Size old = known != minimums_.end() ? known->second : Size{};
    Size minimum = old;
    if (landed.width > target.width + slackW)
        minimum.width = std::max(old.width, landed.width);
    if (landed.height > target.height + slackH)
        minimum.height = std::max(old.height, landed.height);
    if (minimum == old)
        return std::nullopt;
    minimums_[id] = minimum;
    return minimum;
}

std::optional<Size> FrameMemory::incrementOf(WindowID id, const AXWindow& window) {
    auto it = increments_.find(id);
    if (it == increments_.end())
        it = increments_.emplace(id, window.sizeIncrement()).first;
    return it->second;
}

void FrameMemory::readIncrements(const std::vector<std::pair<WindowID, AXWindow>>& windows) {
    std::vector<WindowID> ids;
    std::vector<AXWindow> unread;
    for (const auto& [id, window] : windows)
        if (!increments_.contains(id)) {
            ids.push_back(id);
            unread.push_back(window);
        }
    if (unread.empty())
        return;
    const auto steps = access_.sizeIncrements(unread);
    for (std::size_t i = 0; i < ids.size(); ++i)
        increments_.emplace(ids[i], steps[i]);
}

bool FrameMemory::atTarget(WindowID id, const AXWindow& window, const Rect& actual,
                           const Rect& target) {
    return frameMatches(actual, target, incrementOf(id, window), tolerance);
}

bool FrameMemory::sizeAtTarget(WindowID id, const AXWindow& window, const Rect& actual,
                               const Rect& target) {
    return frameMatches({target.x, target.y, actual.width, actual.height}, target,
                        incrementOf(id, window), tolerance);
}

void FrameMemory::forget(WindowID id) {
    applied_.erase(id);
    minimums_.erase(id);
    increments_.erase(id);
}

} // namespace morvanta
