// FrameMemory: what the controller remembers about the frames of the windows it tiles. The
// target last set on each window (a window still at it is not set again), the sizes windows
// refused to shrink below (the plan lays out around them), and the step each window resizes in
// (read once per window). Comparisons with a target allow 2 points each way, or one step for a
// size of a window that sizes in steps: a terminal snapped to whole character cells is at its
// target, not dragged and not refusing.
#pragma once

#include "ax/ax_window.h"
#include "core/geometry.h"
#include "core/window_id.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace morvanta {

class WindowAccess;

class FrameMemory {
public:
    static constexpr double tolerance = 2.0;

    explicit FrameMemory(WindowAccess& access) : access_(access) {}

    // Whether `target` is the frame last set on the window.
    bool isApplied(WindowID id, const Rect& target) const;
    void setApplied(WindowID id, const Rect& target);
    // The window's frame is set again at the next apply.
    void forgetApplied(WindowID id);
    // Every window's frame is set again at the next apply.
    void forgetAllApplied();

    const std::map<WindowID, Size>& minimums() const { return minimums_; }
    // Learns from where a window landed after its target was set: a size beyond the target by
    // more than the tolerance (or one step) is a refusal to shrink. Answers the window's
    // minimum when it grew.
    std::optional<Size> learnMinimum(WindowID id, const AXWindow& window, const Rect& target,
                                     const Rect& landed);

    std::optional<Size> incrementOf(WindowID id, const AXWindow& window);
    // Reads the steps of the windows not asked yet, all in one batch.
    void readIncrements(const std::vector<std::pair<WindowID, AXWindow>>& windows);

    bool atTarget(WindowID id, const AXWindow& window, const Rect& actual, const Rect& target);
    // Whether the size alone is at the target's (the window may have moved).
    bool sizeAtTarget(WindowID id, const AXWindow& window, const Rect& actual, const Rect& target);

    // Drops everything remembered about a window that went.
    void forget(WindowID id);

private:
    WindowAccess& access_;
    std::map<WindowID, Rect> applied_;
    std::map<WindowID, Size> minimums_;
    std::map<WindowID, std::optional<Size>> increments_;
};

} // namespace morvanta
