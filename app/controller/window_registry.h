// WindowRegistry: the two-way map between the model's WindowIDs and the real windows. It hands
// out identifiers 1, 2, 3, … and never reuses one, so a window closed and opened again is a new
// window to the model. It never decides where a window belongs.
#pragma once

#include "ax/ax_window.h"
#include "core/window_id.h"

#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>

namespace morvanta {

class WindowRegistry {
public:
    // The window's identifier, handing out the next one when the window is new.
    WindowID registerWindow(const AXWindow& window);
    std::optional<AXWindow> windowFor(WindowID id) const;
    std::optional<WindowID> idFor(const AXWindow& window) const;
    // Drops the identifier and its window; unknown identifiers change nothing.
    void forgetWindow(WindowID id);

    bool isEmpty() const { return byID_.empty(); }
    int count() const { return static_cast<int>(byID_.size()); }
    // Every known window by identifier, ascending.
    const std::map<WindowID, AXWindow>& allWindows() const { return byID_; }
    std::int64_t nextID() const { return nextID_; }

private:
    std::map<WindowID, AXWindow> byID_;
    std::unordered_map<AXWindow, WindowID> byWindow_;
    std::int64_t nextID_ = 1;
};

} // namespace morvanta
