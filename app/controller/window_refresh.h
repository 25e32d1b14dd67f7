// WindowRefresh: the refresh step. It hands the model the displays (largest screen first),
// registers every window that exists now, adds the new ones to the model (where an application
// rule or the screen they opened on says), drops the ones that went away, follows a focus change
// made outside Morvanta (switching that window's display to its workspace), and ends in an apply.
#pragma once

#include "app/controller/controller_state.h"

#include <set>
#include <string>
#include <vector>

namespace morvanta {

class LayoutApplier;
class WindowObserver;

class WindowRefresh {
public:
    WindowRefresh(ControllerState& state, WindowObserver& observer, LayoutApplier& applier)
        : state_(state), observer_(observer), applier_(applier) {}

    // Nothing unless tiling runs; runs while paused too (only the apply does nothing then).
    void run();
    // After focus news alone: follows the focus, and lays out only when that showed another
    // workspace; otherwise just the border follows.
    void runFocus();

private:
    void updateDisplays(const std::vector<Screen>& screens);
    // Registers and adds the windows; answers the identifiers seen and the new-window entries.
    std::set<WindowID> addWindows(const std::vector<Screen>& screens,
                                  std::vector<std::string>& newEntries);
    std::string addNewWindow(WindowID id, const AXWindow& window, const Screen& screen);
    int dropGoneWindows(const std::set<WindowID>& seen);
    // True when following the focus showed another workspace.
    bool followFocus();

    ControllerState& state_;
    WindowObserver& observer_;
    LayoutApplier& applier_;
};

} // namespace morvanta
