// PlacementProbe: the self-test's read-only view of the tiling controller. It compares what the
// windows really show with the controller's layout plan, describes where each tracked window is
// in the model and on screen, counts and focuses a display's tiled windows, and reports which
// windows show on which screen. It reads through the controller's window system and never
// changes the model.
#pragma once

#include "app/controller/tiling_controller.h"
#include "app/diagnostics/diagnostics_log.h"
#include "ax/window_parker.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace morvanta {

struct PlacementVerdict {
    bool passed = true;
    // "3 shown, 2 hidden", then "; notes: …" and "; PROBLEMS: …" when there are any.
    std::string detail;
};

// Which enumerated windows show (not parked, inside a screen) on each screen, by display.
struct VisibilityReport {
    std::map<DisplayID, std::set<AXWindow>> shown;
    bool operator==(const VisibilityReport&) const = default;
};

class PlacementProbe {
public:
    explicit PlacementProbe(TilingController& controller);

    // Every visible window of the plan at its target (or in place and larger: it kept its
    // minimum size), every hidden one in a parked position.
    PlacementVerdict verifyPlacement();
    // "<window>: model <display> ws<label>, actually on <screen>[, parked]" for every tracked
    // window by identifier, joined by " | ".
    std::string describePlacement();

    // Tiled (not floating) windows of the workspace the display shows.
    int tiledWindowCount(const DisplayID& display) const;
    // Focuses the tiled window at `index` (0: the first) of the display's shown workspace and
    // logs the request's results; answers the window (none when there is no such window).
    std::optional<AXWindow> focusTiledWindow(const DisplayID& display, std::size_t index,
                                             DiagnosticsLog& log);
    VisibilityReport visibilityReport();

    // In the corner region, or iconified with the parking mark.
    bool isInParkedPosition(const AXWindow& window, const Rect& frame);
    // Enumerated windows whose frame lies in a parked position.
    int parkedWindowCount();
    // The name of the screen holding most of the frame; "?" when no screen touches it.
    std::string screenNameFor(const std::optional<Rect>& frame);

    // "x,y w×h" in truncated whole points.
    static std::string frameText(const Rect& frame);

private:
    std::vector<WindowID> tiledWindows(const DisplayID& display) const;

    TilingController& controller_;
    WindowSystem& system_;
    // Used only to ask whether a frame counts as parked; it never parks anything.
    WindowParker parkTest_;
};

} // namespace morvanta
