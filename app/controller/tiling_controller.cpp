#include "app/controller/tiling_controller.h"

#include "app/controller/controller_texts.h"
#include "app/controller/drag_end.h"
#include "app/controller/focus_border.h"
#include "app/controller/layout_applier.h"
#include "app/controller/letter_workspaces.h"
#include "app/controller/startup_rescue.h"
#include "app/controller/summary_publisher.h"
#include "app/controller/window_refresh.h"

#include <algorithm>
#include <utility>

namespace morvanta {

TilingController::TilingController(WindowSystem& system, RunLoop& loop, DiagnosticsLog& log,
                                   AppSettings& settings, ControllerDevices devices)
    : state_(std::make_unique<ControllerState>(system, loop, log, settings)),
      mouse_(std::move(devices.mouse)), frameTimer_(std::move(devices.frameTimer)),
      observer_(system.makeWindowObserver()), self_(this) {
    state_->isTrusted.set(system.accessibility().checkTrust(false));
    state_->manager.setDefaultLayout(settings.defaultLayout());
    border_ = std::make_unique<FocusBorder>(*state_, std::move(devices.border), mouse_.get(),
                                            frameTimer_.get());
    state_->manager.setLetterWorkspaces(settings.letterWorkspaces());
    state_->manager.applyLayoutStrings(settings.layoutsByWorkspace());
    state_->manager.applyAssignmentStrings(settings.workspaceDisplays());
    border_->applyAppearance();

    summaries_ = std::make_unique<SummaryPublisher>(*state_, mouse_.get());
    applier_ = std::make_unique<LayoutApplier>(*state_, *border_, *summaries_);
    refresh_ = std::make_unique<WindowRefresh>(*state_, *observer_, *applier_);
    if (mouse_)
        dragEnd_ = std::make_unique<DragEnd>(*state_, *applier_, *mouse_);
    rescue_ = std::make_unique<StartupRescue>(*state_);
    commands_ =
        std::make_unique<ControllerCommands>(*state_, *applier_, *summaries_, *refresh_, *border_);
    letters_ = std::make_unique<LetterWorkspaces>(*state_, *applier_, *summaries_);

    settings.onChange = self_.bind(&TilingController::settingsChanged);
}

TilingController::~TilingController() {
    self_.end(); // every callback still held elsewhere does nothing from here on
    state_->settings.onChange = nullptr;
    for (const auto task : {refreshTask_, permissionTimer_})
        if (task != 0)
            state_->loop.cancel(task);
    for (const auto task : dragTasks_)
        state_->loop.cancel(task);
    if (mouse_ && mouseUpListener_ != 0)
        mouse_->removeListener(mouseUpListener_);
    if (screensWatched_)
        state_->system.screenSource().onScreensChanged = nullptr;
    observer_->stop();
    observer_->onEvent = nullptr;
    border_.reset(); // the drag tracker listens to the mouse monitor: it goes first
}

void TilingController::start() {
    if (state_->isRunning.get())
        return;
    state_->isTrusted.set(state_->system.accessibility().checkTrust(false));
    if (!state_->isTrusted.get()) {
        state_->log.append(ControllerTexts::waitingForPermission);
        startPermissionPoll();
        return;
    }
    state_->isRunning.set(true);

    const auto schedule = self_.bind(&TilingController::scheduleRefresh);
    const auto scheduleFocus = self_.bind(&TilingController::scheduleFocusRefresh);
    observer_->onEvent = [schedule, scheduleFocus](WindowObserver::Event event) {
        if (event == WindowObserver::Event::focusChanged)
            scheduleFocus();
        else
            schedule();
    };
    observer_->start();

    state_->system.screenSource().onScreensChanged = [weak = self_.ref()] {
        if (auto* self = weak.get()) {
            self->state_->log.append("Displays changed.");
            self->scheduleRefresh();
        }
    };
    screensWatched_ = true;

    rescue_->run();

    if (mouse_ && mouseUpListener_ == 0) {
        const auto up = self_.bind(&TilingController::mouseUp);
        mouseUpListener_ = mouse_->addListener([up](MouseEvent event) {
            if (event == MouseEvent::leftUp)
                up();
        });
    }
    if (state_->settings.borderEnabled())
        border_->start();
    state_->log.append("Tiling started.");
    refresh();
}

void TilingController::mouseUp() {
    auto task = std::make_shared<RunLoop::TaskID>(0);
    *task = state_->loop.after(dragExamineDelay, [weak = self_.ref(), task] {
        if (auto* self = weak.get()) {
            std::erase(self->dragTasks_, *task);
            self->dragEnd_->examine();
        }
    });
    dragTasks_.push_back(*task);
}

void TilingController::startPermissionPoll() {
    if (permissionTimer_ != 0)
        return;
    permissionTimer_ =
        state_->loop.every(permissionPollInterval, self_.bind(&TilingController::permissionTick));
}

void TilingController::permissionTick() {
    if (!state_->system.accessibility().checkTrust(false))
        return;
    state_->loop.cancel(permissionTimer_);
    permissionTimer_ = 0;
    state_->isTrusted.set(true);
    state_->log.append(ControllerTexts::permissionGranted);
    start();
    if (state_->registry.isEmpty())
        state_->log.append(ControllerTexts::noWindowsAfterPermission);
}

void TilingController::requestPermission() {
    state_->isTrusted.set(state_->system.accessibility().checkTrust(true));
    if (!state_->isTrusted.get())
        state_->system.accessibility().openSettings();
    startPermissionPoll();
}

void TilingController::stop() {
    if (refreshTask_ != 0)
        state_->loop.cancel(std::exchange(refreshTask_, 0));
    observer_->stop();
    border_->stop();
    if (mouse_ && mouseUpListener_ != 0)
        mouse_->removeListener(std::exchange(mouseUpListener_, 0));
    if (screensWatched_) {
        state_->system.screenSource().onScreensChanged = nullptr;
        screensWatched_ = false;
    }
    applier_->finishCheck(); // the last apply's parks are complete before they are undone
    const int parked = state_->parker.count() + applier_->bringBackStranded();
    state_->parker.restoreAll();
    state_->isRunning.set(false);
    state_->log.append("Tiling stopped; brought back " + std::to_string(parked) +
                       " hidden window(s).");
}

void TilingController::scheduleRefresh() {
    fullRefreshDue_ = true;
    scheduleFocusRefresh();
}

void TilingController::scheduleFocusRefresh() {
    if (refreshTask_ != 0)
        state_->loop.cancel(refreshTask_);
    const auto run = self_.bind(&TilingController::refresh);
    refreshTask_ = state_->loop.after(refreshDelay, [weak = self_.ref(), run] {
        if (auto* self = weak.get())
            self->refreshTask_ = 0;
        run();
    });
}

void TilingController::refresh() {
    const auto held = state_->screenSnapshot.hold();
    // The moves, the parking and the border that follows leave in one write.
    state_->system.sendTogether([this] {
        // A burst of focus news alone changes no window: only where the focus went is followed.
        if (std::exchange(fullRefreshDue_, false))
            refresh_->run();
        else
            refresh_->runFocus();
    });
}

void TilingController::applyLayout(bool isRetry) {
    const auto held = state_->screenSnapshot.hold();
    applier_->apply(isRetry);
}

LayoutPlan TilingController::currentPlan() {
    return applier_->currentPlan();
}

void TilingController::updateBorder(const std::optional<AXWindow>& window) {
    border_->update(window);
}

bool TilingController::borderRunning() const {
    return border_->isRunning();
}

bool TilingController::hasBorder() const {
    return border_->overlay() != nullptr;
}

bool TilingController::borderVisible() const {
    return border_->overlay() != nullptr && border_->overlay()->isVisible();
}

void TilingController::settingsChanged() {
    const auto held = state_->screenSnapshot.hold();
    state_->manager.setDefaultLayout(state_->settings.defaultLayout());
    border_->applyAppearance();
    if (state_->isRunning.get() && state_->settings.borderEnabled() != border_->isRunning()) {
        if (state_->settings.borderEnabled())
            border_->start();
        else
            border_->stop();
    }
    state_->frames.forgetAllApplied();
    applier_->apply(false);
}

std::optional<AXWindow> TilingController::focusedWindow() {
    return state_->focus.readNow();
}

std::optional<DisplayID> TilingController::currentDisplay() {
    return summaries_->currentDisplay();
}
std::string TilingController::screenName(const DisplayID& display) {
    return summaries_->screenName(display);
}
void TilingController::publishSummaries() {
    const auto held = state_->screenSnapshot.hold();
    summaries_->publish();
}
LetterShortcutsAssigned TilingController::addLetterWorkspace(int number) {
    const auto held = state_->screenSnapshot.hold();
    return letters_->add(number);
}
void TilingController::removeLetterWorkspace(int number) {
    const auto held = state_->screenSnapshot.hold();
    letters_->remove(number);
}
void TilingController::setLetterShortcuts(LetterShortcuts* shortcuts) {
    letters_->setShortcuts(shortcuts);
}

} // namespace morvanta
