// FakeDesktop: an in-memory desktop for tests, standing in for an X server with (or without) a
// window manager. It holds screens, applications, windows, the stacking order and the focus, and
// hands out WindowSystem views of itself: `system()` is Morvanta's own process; `newProcess()`
// makes another (for example a fresh run after a crash), which sees the same windows and the same
// parking marks.
//
// Two kinds of change reach the desktop:
// - what a user or another application does, through the methods below (open, close, minimise,
//   click to focus, drag). These produce observer events, synchronously, inside the call;
// - what Morvanta asks for through WindowAccess (moves, resizes, parking, focus requests). These
//   never produce `windowsChanged`; a focus request produces `focusChanged`. Focus-tracker
//   reports follow every focus change and every move or resize of the focused window, whoever
//   made it. Each request is recorded in `operations()`.
//
// Events: opening and closing a window (an application's first and last window being its launch
// and quit) and restoring a minimised one give `windowsChanged` to every started observer;
// minimising and full-screen changes give it only to observers that `watch` the window. Windows
// of an observer's own process give it nothing. The desktop outlives every view, observer and
// tracker made from it.
#pragma once

#include "ax/ax_window.h"
#include "ax/fake/fake_operation.h"
#include "ax/fake/fake_window.h"
#include "ax/fake/fake_window_manager.h"
#include "ax/screen.h"
#include "core/geometry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

class FakeFocusTracker;
class FakeWindowAccess;
class FakeWindowObserver;
class FakeWindowSystem;

class FakeDesktop {
public:
    // Morvanta's own process id in `system()`.
    static constexpr std::int32_t morvantaPid = 4242;

    explicit FakeDesktop(WindowManagerMode mode = WindowManagerMode::exact);
    ~FakeDesktop();
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    // Morvanta's view of the desktop.
    FakeWindowSystem& system() { return *system_; }
    // Another process's view; its own process id is `ownPid`.
    std::unique_ptr<FakeWindowSystem> newProcess(std::int32_t ownPid = morvantaPid);

    void setWindowManager(WindowManagerMode mode) { manager_.setMode(mode); }
    WindowManagerMode windowManager() const { return manager_.mode(); }
    void setTrusted(bool trusted) { trusted_ = trusted; }
    bool trusted() const { return trusted_; }

    // Screens, primary first. Each change tells every view's onScreensChanged.
    static Screen makeScreen(const std::string& identity, const Rect& frame,
                             std::optional<Rect> visibleFrame = {});
    void addScreen(const Screen& screen);
    void removeScreen(const std::string& identity);
    // Replaces the screen with this identity (frame, visible frame, name; identity too).
    void changeScreen(const std::string& identity, const Screen& screen);
    const std::vector<Screen>& screens() const { return screens_; }

    // Applications: answers the new application's process id. It counts as running while it
    // has windows. `windowClass` is what application rules match (empty: none).
    std::int32_t addApp(const std::string& name, const std::string& windowClass = {});
    // Closes every window of the application at once (one `windowsChanged`).
    void quitApp(std::int32_t pid);

    // Opens a window on top of the stack; the handle belongs to `system()`.
    AXWindow openWindow(std::int32_t pid, const std::string& title, const Rect& frame,
                        const FakeWindowOptions& options = {});
    void closeWindow(const AXWindow& window);
    void minimise(const AXWindow& window);
    void unminimise(const AXWindow& window);
    void setFullScreen(const AXWindow& window, bool fullScreen);
    void setTitle(const AXWindow& window, const std::string& title);
    // A click on the window: raises and focuses it.
    void focus(const AXWindow& window);
    // A click on the bare desktop: nothing has focus.
    void clearFocus();
    // A drag by the user (the window manager's rules apply).
    void userMove(const AXWindow& window, Point origin);
    void userResize(const AXWindow& window, Size size);
    void userSetFrame(const AXWindow& window, const Rect& frame);

    // Faults. The window answers `calls` more WindowAccess calls, then is gone (closed as if by
    // its application) before the next one.
    void vanishAfter(const AXWindow& window, int calls);
    void setFrameReadable(const AXWindow& window, bool readable);
    void setTypeReadable(const AXWindow& window, bool readable);
    void setMinimisedReadable(const AXWindow& window, bool readable);
    void setMoveFault(const AXWindow& window, MoveFault fault);

    // The truth, faults ignored.
    bool exists(const AXWindow& window) const { return windows_.contains(window.id()); }
    std::optional<Rect> frameOf(const AXWindow& window) const;
    bool isIconified(const AXWindow& window) const;
    std::optional<Rect> parkMarkOf(const AXWindow& window) const;
    std::optional<AXWindow> focusedWindow() const;
    // Back to front.
    std::vector<AXWindow> stackingOrder() const;

    // What Morvanta asked for, oldest first.
    const std::vector<FakeOperation>& operations() const { return operations_; }
    void clearOperations() { operations_.clear(); }
    int count(const AXWindow& window, FakeOperation::Kind kind) const;
    int setFrameCount(const AXWindow& window) const {
        return count(window, FakeOperation::Kind::setFrame);
    }
    int trustPrompts() const { return trustPrompts_; }
    int settingsOpened() const { return settingsOpened_; }

private:
    friend class FakeFocusTracker;
    friend class FakeWindowAccess;
    friend class FakeWindowObserver;
    friend class FakeWindowSystem;

    struct App {
        std::string name;
        std::string windowClass;
        std::uint64_t launchOrder = 0; // set when its first window maps; 0 while not running
    };
    enum class Change { opened, closed, minimised, restored, fullScreen };

    FakeWindow* find(std::uint32_t id);
    const FakeWindow* find(std::uint32_t id) const;
    // A WindowAccess call about a window: counts it against an injected vanishing and answers
    // the window, or null when it is gone.
    FakeWindow* touch(std::uint32_t id);
    const App* runningApp(std::int32_t pid) const;
    void record(FakeOperation::Kind kind, std::uint32_t id, std::optional<Rect> requested,
                bool succeeded);

    // Placement through the window manager; report moves of the focused window.
    void applySize(FakeWindow& window, Size size);
    void applyPosition(FakeWindow& window, Point origin);
    void frameChanged(std::uint32_t id, const Rect& before);

    void raiseWindow(std::uint32_t id);
    void setFocus(std::optional<std::uint32_t> id, bool tellObservers);
    // After the focused window went away: the top-most mapped window, if any, gets the focus.
    void refocusAfterLoss(std::uint32_t lost, bool tellObservers);
    void removeWindow(std::uint32_t id);
    void iconifyWindow(std::uint32_t id, bool tellObservers);
    void deiconifyWindow(std::uint32_t id, bool tellObservers);

    // `pid` owns the window (passed because a closed window is gone already).
    void notifyWindows(std::uint32_t id, std::int32_t pid, Change change);
    void notifyFocus(bool tellObservers);
    void notifyScreens();

    std::vector<Screen> screens_;
    std::map<std::int32_t, App> apps_;
    std::map<std::uint32_t, FakeWindow> windows_;
    std::vector<std::uint32_t> stacking_; // back to front
    std::optional<std::uint32_t> focused_;
    FakeWindowManager manager_;
    bool trusted_ = true;
    std::int32_t nextPid_ = 2001;
    std::uint32_t nextWindow_ = 0x400001;
    std::uint64_t nextLaunch_ = 1;

    std::vector<FakeOperation> operations_;
    int trustPrompts_ = 0;
    int settingsOpened_ = 0;

    // Registered while alive (views) or started (observers, trackers).
    std::vector<FakeWindowSystem*> views_;
    std::vector<FakeWindowObserver*> observers_;
    std::vector<FakeFocusTracker*> trackers_;
    std::unique_ptr<FakeWindowSystem> system_;
};

} // namespace morvanta
