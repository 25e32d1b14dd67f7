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

#include "app/controller/controller_devices.h"
#include "app/controller/controller_state.h"
#include "app/controller/letter_shortcuts.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

class ControllerCommands;
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
    Published<bool>& isTrusted() { return s_->isTrusted; }
    Published<bool>& isRunning() { return s_->isRunning; }
    Published<bool>& isPaused() { return s_->isPaused; }
    Published<std::vector<DisplaySummary>>& summaries() { return s_->summaries; }
    Published<int>& currentNumber() { return s_->currentNumber; }
    Published<bool>& seesWindows() { return s_->seesWindows; }
    Published<std::optional<WindowID>>& focused() { return s_->focused; }

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

    // Commands.
    void switchToWorkspace(int number);
    void previousWorkspace();
    void moveFocusedWindow(int number);
    void focusNeighbour(Direction direction);
    void swapWithNeighbour(Direction direction);
    void toggleFloat();
    void adjustMainRatio(double change);
    void setLayout(LayoutKind kind, std::optional<DisplayID> display = std::nullopt);
    void cycleLayout();
    void setLayoutForAllWorkspaces(LayoutKind kind);
    bool assignWorkspace(int number, const DisplayID& display);
    void resetDefaultSplit();
    void setPaused(bool paused);
    void reloadFromSettings(const AppSettings::StringMap& layouts,
                            const AppSettings::StringMap& assignment);
    void focusCurrentWindow();
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
    // When no window of the shown workspace can take the keyboard, `activate` may give it to a
    // visible window of the application's own (answering true); otherwise nothing keeps it.
    void setActivateSelf(std::function<bool()> activate);
    // Expires when the controller goes: callbacks held by longer-lived objects check it.
    std::weak_ptr<TilingController*> lifetime() const { return self_; }

    // Read-only views for the user interface, the self-test and tests.
    const WorkspaceManager& manager() const { return s_->manager; }
    const WindowRegistry& registry() const { return s_->registry; }
    const WindowParker& parker() const { return s_->parker; }
    const std::map<WindowID, Size>& minimums() const { return s_->minimums; }
    bool borderRunning() const;
    bool refreshPending() const { return refreshTask_ != 0; }
    // Whether the focus border's panel is on screen now (false without a panel).
    bool borderVisible() const;
    // The window system the controller drives, for the self-test's own reads.
    WindowSystem& windowSystem() const { return s_->system; }

private:
    void startPermissionPoll();
    void permissionTick();
    void settingsChanged();
    void mouseUp();
    // A callback that runs `action` on this controller while it exists.
    std::function<void()> weakly(void (TilingController::*action)());

    std::unique_ptr<ControllerState> s_;
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
    // Callbacks hold this weakly; it goes first when the controller does.
    std::shared_ptr<TilingController*> self_;
};

} // namespace morvanta
