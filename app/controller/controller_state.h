// ControllerState: everything the tiling controller knows, shared by the classes that each do
// one of its jobs (refresh, apply, drag end, commands, summaries, border). The collaborators it
// was given, the published values the user interface watches, the model, the registry, the
// parker, and the tables of frames set and sizes learned.
#pragma once

#include "app/controller/display_summary.h"
#include "app/controller/published.h"
#include "app/controller/run_loop.h"
#include "app/controller/screen_snapshot.h"
#include "app/controller/window_registry.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/settings/app_settings.h"
#include "ax/screen_geometry.h"
#include "ax/window_parker.h"
#include "ax/window_system.h"
#include "core/workspace_manager.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

struct ControllerState {
    ControllerState(WindowSystem& system, RunLoop& loop, DiagnosticsLog& log, AppSettings& settings)
        : system(system), loop(loop), log(log), settings(settings),
          manager(settings.defaultLayout()), screenSnapshot(system.screenSource()),
          parker(screenSnapshot, system.windowAccess()) {}
    ControllerState(const ControllerState&) = delete;
    ControllerState& operator=(const ControllerState&) = delete;

    WindowSystem& system;
    RunLoop& loop;
    DiagnosticsLog& log;
    AppSettings& settings;

    Published<bool> isTrusted;
    Published<bool> isRunning;
    Published<bool> isPaused;
    Published<std::vector<DisplaySummary>> summaries;
    Published<int> currentNumber{1};
    Published<bool> seesWindows;
    // The model's focused window, as of the last publication.
    Published<std::optional<WindowID>> focused;

    WorkspaceManager manager;
    WindowRegistry registry;
    // Every screen read of the controller and its parker goes through it (see ScreenSnapshot).
    ScreenSnapshot screenSnapshot;
    WindowParker parker;
    // The last target frame set on each tiled window.
    std::map<WindowID, Rect> applied;
    // Sizes windows refused to shrink below.
    std::map<WindowID, Size> minimums;
    // The step each window resizes in (none for most), read once per window.
    std::map<WindowID, std::optional<Size>> increments;
    // The focused window the controller last acted on, and the display last worked on.
    std::optional<AXWindow> lastOSFocus;
    // When the controller last took the keyboard from a window it hid. Some window managers
    // then hand it to another window of theirs at once, hidden ones included (IceWM).
    std::optional<RunLoop::TimePoint> keyboardTakenAt;
    std::optional<DisplayID> lastDisplay;
    std::optional<std::optional<AXWindow>> focusRead;
    std::uint64_t focusReadInHold = 0;

    std::vector<Screen> screens() { return screenSnapshot.screens(); }
    // The focused window. Read once per hold of the screen snapshot (one command, one refresh):
    // nothing a command does changes it before the command focuses a window itself, which
    // forgets it. Outside a hold every read is fresh.
    std::optional<AXWindow> focusedWindow() {
        if (!screenSnapshot.isHeld())
            return readFocus();
        if (!focusRead || focusReadInHold != screenSnapshot.holdNumber()) {
            focusRead = readFocus();
            focusReadInHold = screenSnapshot.holdNumber();
        }
        return *focusRead;
    }
    // The window the controller last asked to focus, until the focus is seen elsewhere.
    std::optional<AXWindow> focusAskedFor;
    // The window system's focused window. Some window managers report none at all while the
    // window the controller activated is one that never takes the keyboard (Mutter with a
    // clock): that window still counts as focused while it shows and the model's focus is on it.
    std::optional<AXWindow> readFocus() {
        auto focused = system.windowList().focused();
        if (focused) {
            if (focused != focusAskedFor)
                focusAskedFor.reset();
            return focused;
        }
        if (focusAskedFor && !parker.isParked(*focusAskedFor) && manager.focused() &&
            registry.idFor(*focusAskedFor) == manager.focused())
            return focusAskedFor;
        return std::nullopt;
    }
    void forgetFocusRead() { focusRead.reset(); }

    std::optional<Size> incrementOf(WindowID id, const AXWindow& window) {
        auto it = increments.find(id);
        if (it == increments.end())
            it = increments.emplace(id, window.sizeIncrement()).first;
        return it->second;
    }
    // Reads the steps of the windows not asked yet, all in one batch.
    void readIncrements(const std::vector<std::pair<WindowID, AXWindow>>& windows) {
        std::vector<WindowID> ids;
        std::vector<AXWindow> unread;
        for (const auto& [id, window] : windows)
            if (!increments.contains(id)) {
                ids.push_back(id);
                unread.push_back(window);
            }
        if (unread.empty())
            return;
        const auto steps = system.windowAccess().sizeIncrements(unread);
        for (std::size_t i = 0; i < ids.size(); ++i)
            increments.emplace(ids[i], steps[i]);
    }
    // Drops everything remembered about a window's frames.
    void forgetFrames(WindowID id) {
        applied.erase(id);
        minimums.erase(id);
        increments.erase(id);
    }
};

// Comparisons of a window's frame with its target: 2 points each way, or one step for a size
// of a window that sizes in steps (a terminal snapped to whole character cells is at its
// target, not dragged and not refusing).
inline constexpr double frameTolerance = 2.0;

inline bool atTarget(const Rect& actual, const Rect& target, const std::optional<Size>& step) {
    return frameMatches(actual, target, step, frameTolerance);
}
inline bool sizeAtTarget(const Rect& actual, const Rect& target, const std::optional<Size>& step) {
    return frameMatches({target.x, target.y, actual.width, actual.height}, target, step,
                        frameTolerance);
}

// "(x, y w×h)" in truncated whole points, or "?" for a frame that could not be read.
std::string frameText(const std::optional<Rect>& frame);
// The screen holding part of `rect`, the one holding most of it; none when no screen touches it.
std::optional<Screen> screenHolding(const std::vector<Screen>& screens, const Rect& rect);
// Whether `point` lies in `rect` (left and top edges in, right and bottom edges out).
bool rectContains(const Rect& rect, const Point& point);

} // namespace morvanta
