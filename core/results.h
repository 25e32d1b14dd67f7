// The small values the workspace manager hands to the tiling controller: where a window is,
// what a manual resize asks for, and the layout plan of one apply.
#pragma once

#include "core/display_id.h"
#include "core/geometry.h"
#include "core/window_id.h"

#include <map>
#include <optional>
#include <set>

namespace morvanta {

struct WindowLocation {
    DisplayID display;
    int workspace = 0;
    bool operator==(const WindowLocation&) const = default;
};

// The answer that asks for nothing is sizesChanged false with no mainRatio.
struct ResizeOutcome {
    bool sizesChanged = false;
    std::optional<double> mainRatio; // already limited to 0.2 … 0.8
    bool operator==(const ResizeOutcome&) const = default;
};

// A window is in at most one of the three.
struct LayoutPlan {
    std::map<WindowID, Rect> visible;
    std::set<WindowID> floating;
    std::map<WindowID, DisplayID> hidden; // parked on this display's edge
    bool operator==(const LayoutPlan&) const = default;
};

} // namespace morvanta
