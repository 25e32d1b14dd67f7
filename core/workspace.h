// Workspace: one numbered workspace's layout, tiling order and per-window weights.
// Position 0 of `windows` is the main window of main + stack and monocle's fallback front.
#pragma once

#include "core/layout_kind.h"
#include "core/window_id.h"

#include <map>
#include <vector>

namespace morvanta {

struct Workspace {
    int number = 0;
    LayoutKind layout = LayoutKind::mainStack;
    std::vector<WindowID> windows;
    std::map<WindowID, double> weights; // a window without an entry weighs 1.0

    bool operator==(const Workspace&) const = default;
};

} // namespace morvanta
