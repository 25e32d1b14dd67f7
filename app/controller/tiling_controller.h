// TilingController: the one long-lived object that keeps the tiling model in step with the real
// windows. It waits for permission to control windows, watches window, focus and screen events
// and turns each burst into one refresh 60 ms after its last event, examines every mouse-up for
// a drag, reacts to settings changes, carries out the user commands and publishes what the user
// interface shows. It brings every parked window back when it stops.
//
// It talks to the desktop only through the WindowSystem and devices it is given, and to time only
// through the RunLoop, so it runs alike on X11 and on the fake desktop with a virtual clock.
// Main thread only. Whoever owns the WindowSystem watches its eventDescriptor and calls
// dispatchPending. Every callback it hands to a longer-lived object is removed, or turned
// into a no-op, when the controller goes.
#pragma once

#include "app/controller/controller_commands.h"
#include "app/controller/controller_devices.h"
#include "app/controller/controller_state.h"
#include "app/controller/letter_shortcuts.h"
#include "core/weak_self.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

class DragEnd;
class FocusBorder;
class LayoutApplier;
class LetterWorkspaces;
class StartupRescue;
class SummaryPublisher;
class WindowObserver;
class WindowRefresh;

class TilingController {
public:
    static constexpr std::chrono::milliseconds refreshDelay{60};
    static constexpr std::chrono::milliseconds dragExamineDelay{80};
    static constexpr std::chrono::seconds permissionPollInterval{1};

    TilingController(WindowSystem& system, RunLoop& loop, DiagnosticsLog& log,
                     AppSettings& settings, ControllerDevices devices = {});
    ~TilingController();
    TilingController(const TilingController&) = delete;
    TilingController& operator=(const TilingController&) = delete;

    // Published values, for the user interface to read and observe.
    Published<bool>& isTrusted() { return state_->isTrusted; }
    Published<bool>& isRunning() { return state_->isRunning; }
    Published<bool>& isPaused() { return state_->isPaused; }
    Published<std::vector<DisplaySummary>>& summaries() { return state_->summaries; }
    Published<int>& currentNumber() { return state_->currentNumber; }
    Published<bool>& seesWindows() { return state_->seesWindows; }
    Published<std::optional<WindowID>>& focused() { return state_->focused; }

    // Lifecycle.
    void start();
    void stop();
    void requestPermission();
    void scheduleRefresh();
    // A refresh that only follows the focus, unless a full one is due anyway.
    void scheduleFocusRefresh();
    void refresh();
    void applyLayout(bool isRetry = false);
    LayoutPlan currentPlan();
    void updateBorder(const std::optional<AXWindow>& window);
    // The window the commands act on: the window system's focused window, or the window the
    // controller activated when the window system reports none for it.
    std::optional<AXWindow> focusedWindow();

    // Every user command; each holds the screen snapshot while it runs.
    ControllerCommands& commands() { return *commands_; }
    std::optional<DisplayID> currentDisplay();
    std::string screenName(const DisplayID& display);
    void publishSummaries();

    // Letter workspaces A to Z (101 to 126). Adding answers whether its two keys (switch to it,
    // move a window to it) were free and are now bound; duplicates and other numbers change
    // nothing and answer two falses. Removing moves its windows to what its display shows.
    LetterShortcutsAssigned addLetterWorkspace(int number);
    void removeLetterWorkspace(int number);
    // Connects the shortcut actions, which must outlive the controller or be disconnected
    // with nullptr first; they receive the letter workspaces at once and on every change.
    void setLetterShortcuts(LetterShortcuts* shortcuts);
    // Expires when the controller goes: callbacks held by longer-lived objects check it.
    WeakSelf<TilingController>::Ref lifetime() const { return self_.ref(); }

    // Read-only views for the user interface, the self-test and tests.
    const WorkspaceManager& manager() const { return state_->manager; }
    const WindowRegistry& registry() const { return state_->registry; }
    const WindowParker& parker() const { return state_->parker; }
    const std::map<WindowID, Size>& minimums() const { return state_->frames.minimums(); }
    bool borderRunning() const;
    bool refreshPending() const { return refreshTask_ != 0; }
    // Whether the focus border's panel is on screen now (false without a panel).
    bool borderVisible() const;
    // Whether the desktop gave the controller a focus border's panel at all.
    bool hasBorder() const;
    // The window system the controller drives, for the self-test's own reads.
    WindowSystem& windowSystem() const { return state_->system; }

private:
    void startPermissionPoll();
    void permissionTick();
    void settingsChanged();
    void mouseUp();

    std::unique_ptr<ControllerState> state_;
    std::unique_ptr<MouseMonitor> mouse_;
    std::unique_ptr<FrameTimer> frameTimer_;
    std::unique_ptr<WindowObserver> observer_;
    std::unique_ptr<FocusBorder> border_;
    std::unique_ptr<SummaryPublisher> summaries_;
    std::unique_ptr<LayoutApplier> applier_;
    std::unique_ptr<WindowRefresh> refresh_;
    std::unique_ptr<DragEnd> dragEnd_;
    std::unique_ptr<StartupRescue> rescue_;
    std::unique_ptr<ControllerCommands> commands_;
    std::unique_ptr<LetterWorkspaces> letters_;

    RunLoop::TaskID refreshTask_ = 0;
    bool fullRefreshDue_ = true;
    RunLoop::TaskID permissionTimer_ = 0;
    std::vector<RunLoop::TaskID> dragTasks_;
    int mouseUpListener_ = 0;
    bool screensWatched_ = false;
    // Callbacks hold this weakly; it ends first when the controller goes.
    WeakSelf<TilingController> self_;
};

} // namespace morvanta
