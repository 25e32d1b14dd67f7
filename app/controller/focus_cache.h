// FocusCache: what the controller knows about the keyboard focus. The window system's focused
// window is read once per hold of the screen snapshot (one command, one refresh): nothing a
// command does changes it before the command focuses a window itself, which forgets the read.
// Outside a hold every read is fresh.
//
// It also keeps the window the controller last asked to focus: some window managers report no
// focus at all while the window the controller activated is one that never takes the keyboard
// (Mutter with a clock), and that window still counts as focused while it shows and the
// model's focus is on it. And it keeps the focused window the controller last acted on, and
// when the controller last took the keyboard from a window it hid.
#pragma once

#include "app/controller/run_loop.h"
#include "ax/ax_window.h"

#include <cstdint>
#include <optional>

namespace morvanta {

class ScreenSnapshot;
class WindowList;
class WindowParker;
class WindowRegistry;
class WorkspaceManager;

class FocusCache {
public:
    FocusCache(WindowList& windows, const ScreenSnapshot& snapshot, const WindowParker& parker,
               const WorkspaceManager& manager, const WindowRegistry& registry)
        : windows_(windows), snapshot_(snapshot), parker_(parker), manager_(manager),
          registry_(registry) {}

    // The focused window, read once per hold.
    std::optional<AXWindow> focused();
    // The focused window read now, whatever the hold.
    std::optional<AXWindow> readNow();
    // The next focused() reads again.
    void forgetRead();
    // The controller has asked the window system to focus `window`.
    void askedFor(const AXWindow& window) { askedFor_ = window; }

    // The focused window the controller last acted on: focus news naming it again is no news.
    const std::optional<AXWindow>& lastSeen() const { return lastSeen_; }
    void setLastSeen(const std::optional<AXWindow>& window) { lastSeen_ = window; }
    // A window that went is forgotten: a later window may reuse its id.
    void forgetWindow(const AXWindow& window);

    void keyboardTaken(RunLoop::TimePoint at) { keyboardTakenAt_ = at; }
    // Whether the controller took the keyboard less than `within` before `now`. Some window
    // managers then hand it to another window of theirs at once, hidden ones included (IceWM).
    bool keyboardTakenWithin(RunLoop::Duration within, RunLoop::TimePoint now) const {
        return keyboardTakenAt_ && now - *keyboardTakenAt_ < within;
    }

private:
    // One hold's read of the focused window (which may be none).
    struct HoldRead {
        std::optional<AXWindow> focused;
        std::uint64_t holdNumber = 0;
    };

    WindowList& windows_;
    const ScreenSnapshot& snapshot_;
    const WindowParker& parker_;
    const WorkspaceManager& manager_;
    const WindowRegistry& registry_;
    std::optional<HoldRead> holdRead_;
    std::optional<AXWindow> askedFor_;
    std::optional<AXWindow> lastSeen_;
    std::optional<RunLoop::TimePoint> keyboardTakenAt_;
};

} // namespace morvanta
