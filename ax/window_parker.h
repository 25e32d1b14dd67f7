// WindowParker: hides the windows of workspaces that are not showing and puts them back exactly.
//
// Parking moves a window's top-left corner one point inside the bottom-right corner of a
// screen. Some window managers pull such a window back on screen; the first time a corner park
// does not hold, the parker switches to minimising parked windows for the rest of its life (and
// minimises that window at once), so no window is moved twice on every park. Every parked window
// carries a mark holding its frame from before parking, so a later run can restore windows that
// a crash left parked (restoreMarked). A window minimised by parking still counts as not
// minimised for enumeration.
#pragma once

#include "ax/ax_window.h"
#include "ax/screen.h"
#include "ax/screen_source.h"
#include "ax/window_access.h"
#include "core/geometry.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace morvanta {

class WindowParker {
public:
    WindowParker(ScreenSource& screens, WindowAccess& access)
        : screens_(screens), access_(access) {}

    // Parks the window on `screen` (default: the screen holding most of it) and answers its frame
    // as read afterwards. None, and nothing changes, when the window is already parked, its frame
    // cannot be read or there is no screen. A refused move is not detected here; the caller
    // checks the answer with isInParkedPosition.
    std::optional<Rect> park(const AXWindow& window, const std::optional<Screen>& screen = {});
    // Puts a parked window back at its saved frame and forgets it; nothing for other windows.
    void restore(const AXWindow& window);
    // Forgets a parked window without moving it (it is un-minimised when parking minimised it,
    // so a window the caller is about to place is not left hidden).
    void forget(const AXWindow& window);
    // Restores every parked window; afterwards count() is 0.
    void restoreAll();
    // Restores every window that carries a parking mark but is not parked by this parker (left
    // over from an earlier run) at the frame in its mark; answers those windows.
    std::vector<AXWindow> restoreMarked();

    bool isParked(const AXWindow& window) const { return parked_.contains(window); }
    int count() const { return static_cast<int>(parked_.size()); }
    // True once a corner park did not hold and parking minimises windows instead.
    bool minimisesWindows() const { return minimises_; }

    // Whether the window counts as parked at `frame`: its top-left corner in a screen's parked
    // region, or minimised while carrying a parking mark.
    bool isInParkedPosition(const AXWindow& window, const Rect& frame);

private:
    struct Entry {
        Rect saved;
        bool minimised = false;
    };
    void putBack(const AXWindow& window, const Entry& entry);

    ScreenSource& screens_;
    WindowAccess& access_;
    std::unordered_map<AXWindow, Entry> parked_;
    bool minimises_ = false;
};

} // namespace morvanta
