#include "app/controller/tiling_controller.h"

#include "app/controller/controller_commands.h"
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
    : s_(std::make_unique<ControllerState>(system, loop, log, settings)),
      mouse_(std::move(devices.mouse)), frameTimer_(std::move(devices.frameTimer)),
      observer_(system.makeWindowObserver()), self_(std::make_shared<TilingController*>(this)) {
    s_->isTrusted.set(system.accessibility().checkTrust(false));
    s_->manager.setDefaultLayout(settings.defaultLayout());
    border_ = std::make_unique<FocusBorder>(*s_, std::move(devices.border), mouse_.get(),
                                            frameTimer_.get());
    s_->manager.setLetterWorkspaces(settings.letterWorkspaces());
    s_->manager.applyLayoutStrings(settings.layoutsByWorkspace());
    s_->manager.applyAssignmentStrings(settings.workspaceDisplays());
    border_->applyAppearance();

    summaries_ = std::make_unique<SummaryPublisher>(*s_, mouse_.get());
    applier_ = std::make_unique<LayoutApplier>(*s_, *border_, *summaries_);
    refresh_ = std::make_unique<WindowRefresh>(*s_, *observer_, *applier_);
    if (mouse_)
        dragEnd_ = std::make_unique<DragEnd>(*s_, *applier_, *mouse_);
    rescue_ = std::make_unique<StartupRescue>(*s_);
    commands_ =
        std::make_unique<ControllerCommands>(*s_, *applier_, *summaries_, *refresh_, *border_);
    letters_ = std::make_unique<LetterWorkspaces>(*s_, *applier_, *summaries_);

    settings.onChange = weakly(&TilingController::settingsChanged);
}

TilingController::~TilingController() {
    self_.reset(); // every callback still held elsewhere does nothing from here on
    s_->settings.onChange = nullptr;
    for (const auto task : {refreshTask_, permissionTimer_})
        if (task != 0)
            s_->loop.cancel(task);
    for (const auto task : dragTasks_)
        s_->loop.cancel(task);
    if (mouse_ && mouseUpListener_ != 0)
        mouse_->removeListener(mouseUpListener_);
    if (screensWatched_)
        s_->system.screenSource().onScreensChanged = nullptr;
    observer_->stop();
    observer_->onEvent = nullptr;
    border_.reset(); // the drag tracker listens to the mouse monitor: it goes first
}

std::function<void()> TilingController::weakly(void (TilingController::*action)()) {
    return [weak = std::weak_ptr<TilingController*>(self_), action] {
        if (const auto self = weak.lock())
            ((*self)->*action)();
    };
}

void TilingController::start() {
    if (s_->isRunning.get())
        return;
    s_->isTrusted.set(s_->system.accessibility().checkTrust(false));
    if (!s_->isTrusted.get()) {
        s_->log.append(ControllerTexts::waitingForPermission);
        startPermissionPoll();
        return;
    }
    s_->isRunning.set(true);

    const auto schedule = weakly(&TilingController::scheduleRefresh);
    const auto scheduleFocus = weakly(&TilingController::scheduleFocusRefresh);
    observer_->onEvent = [schedule, scheduleFocus](WindowObserver::Event event) {
        if (event == WindowObserver::Event::focusChanged)
            scheduleFocus();
        else
            schedule();
    };
    observer_->start();

    const auto weak = std::weak_ptr<TilingController*>(self_);
    s_->system.screenSource().onScreensChanged = [weak] {
        if (const auto self = weak.lock()) {
            (*self)->s_->log.append("Displays changed.");
            (*self)->scheduleRefresh();
        }
    };
    screensWatched_ = true;

    rescue_->run();

    if (mouse_ && mouseUpListener_ == 0) {
        const auto up = weakly(&TilingController::mouseUp);
        mouseUpListener_ = mouse_->addListener([up](MouseEvent event) {
            if (event == MouseEvent::leftUp)
                up();
        });
    }
    if (s_->settings.borderEnabled())
        border_->start();
    s_->log.append("Tiling started.");
    refresh();
}

void TilingController::mouseUp() {
    const auto weak = std::weak_ptr<TilingController*>(self_);
    auto task = std::make_shared<RunLoop::TaskID>(0);
    *task = s_->loop.after(dragExamineDelay, [weak, task] {
        if (const auto self = weak.lock()) {
            std::erase((*self)->dragTasks_, *task);
            (*self)->dragEnd_->examine();
        }
    });
    dragTasks_.push_back(*task);
}

void TilingController::startPermissionPoll() {
    if (permissionTimer_ != 0)
        return;
    permissionTimer_ =
        s_->loop.every(permissionPollInterval, weakly(&TilingController::permissionTick));
}

void TilingController::permissionTick() {
    if (!s_->system.accessibility().checkTrust(false))
        return;
    s_->loop.cancel(permissionTimer_);
    permissionTimer_ = 0;
    s_->isTrusted.set(true);
    s_->log.append(ControllerTexts::permissionGranted);
    start();
    if (s_->registry.isEmpty())
        s_->log.append(ControllerTexts::noWindowsAfterPermission);
}

void TilingController::requestPermission() {
    s_->isTrusted.set(s_->system.accessibility().checkTrust(true));
    if (!s_->isTrusted.get())
        s_->system.accessibility().openSettings();
    startPermissionPoll();
}

void TilingController::stop() {
    if (refreshTask_ != 0)
        s_->loop.cancel(std::exchange(refreshTask_, 0));
    observer_->stop();
    border_->stop();
    if (mouse_ && mouseUpListener_ != 0)
        mouse_->removeListener(std::exchange(mouseUpListener_, 0));
    if (screensWatched_) {
        s_->system.screenSource().onScreensChanged = nullptr;
        screensWatched_ = false;
    }
    applier_->finishCheck(); // the last apply's parks are complete before they are undone
    const int parked = s_->parker.count();
    s_->parker.restoreAll();
    s_->isRunning.set(false);
    s_->log.append("Tiling stopped; brought back " + std::to_string(parked) + " hidden window(s).");
}

void TilingController::scheduleRefresh() {
    fullRefreshDue_ = true;
    scheduleFocusRefresh();
}

void TilingController::scheduleFocusRefresh() {
    if (refreshTask_ != 0)
        s_->loop.cancel(refreshTask_);
    const auto run = weakly(&TilingController::refresh);
    const auto weak = std::weak_ptr<TilingController*>(self_);
    refreshTask_ = s_->loop.after(refreshDelay, [weak, run] {
        if (const auto self = weak.lock())
            (*self)->refreshTask_ = 0;
        run();
    });
}

void TilingController::refresh() {
    const auto held = s_->screenSnapshot.hold();
    // A burst of focus news alone changes no window: only where the focus went is followed.
    if (std::exchange(fullRefreshDue_, false))
        refresh_->run();
    else
        refresh_->runFocus();
}

void TilingController::applyLayout(bool isRetry) {
    const auto held = s_->screenSnapshot.hold();
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

bool TilingController::borderVisible() const {
    return border_->overlay() != nullptr && border_->overlay()->isVisible();
}

void TilingController::settingsChanged() {
    const auto held = s_->screenSnapshot.hold();
    s_->manager.setDefaultLayout(s_->settings.defaultLayout());
    border_->applyAppearance();
    if (s_->isRunning.get() && s_->settings.borderEnabled() != border_->isRunning()) {
        if (s_->settings.borderEnabled())
            border_->start();
        else
            border_->stop();
    }
    s_->applied.clear();
    applier_->apply(false);
}

void TilingController::switchToWorkspace(int number) {
    const auto held = s_->screenSnapshot.hold();
    commands_->switchToWorkspace(number);
}
void TilingController::previousWorkspace() {
    const auto held = s_->screenSnapshot.hold();
    commands_->previousWorkspace();
}
void TilingController::moveFocusedWindow(int number) {
    const auto held = s_->screenSnapshot.hold();
    commands_->moveFocusedWindow(number);
}
void TilingController::focusNeighbour(Direction direction) {
    const auto held = s_->screenSnapshot.hold();
    commands_->focusNeighbour(direction);
}
void TilingController::swapWithNeighbour(Direction direction) {
    const auto held = s_->screenSnapshot.hold();
    commands_->swapWithNeighbour(direction);
}
void TilingController::toggleFloat() {
    const auto held = s_->screenSnapshot.hold();
    commands_->toggleFloat();
}
void TilingController::adjustMainRatio(double change) {
    const auto held = s_->screenSnapshot.hold();
    commands_->adjustMainRatio(change);
}
void TilingController::setLayout(LayoutKind kind, std::optional<DisplayID> display) {
    const auto held = s_->screenSnapshot.hold();
    commands_->setLayout(kind, std::move(display));
}
void TilingController::cycleLayout() {
    const auto held = s_->screenSnapshot.hold();
    commands_->cycleLayout();
}
void TilingController::setLayoutForAllWorkspaces(LayoutKind kind) {
    const auto held = s_->screenSnapshot.hold();
    commands_->setLayoutForAllWorkspaces(kind);
}
bool TilingController::assignWorkspace(int number, const DisplayID& display) {
    const auto held = s_->screenSnapshot.hold();
    return commands_->assignWorkspace(number, display);
}
void TilingController::resetDefaultSplit() {
    const auto held = s_->screenSnapshot.hold();
    commands_->resetDefaultSplit();
}
void TilingController::setPaused(bool paused) {
    const auto held = s_->screenSnapshot.hold();
    commands_->setPaused(paused);
}
void TilingController::reloadFromSettings(const AppSettings::StringMap& layouts,
                                          const AppSettings::StringMap& assignment) {
    const auto held = s_->screenSnapshot.hold();
    commands_->reloadFromSettings(layouts, assignment);
}
std::optional<AXWindow> TilingController::focusedWindow() {
    return s_->readFocus();
}

void TilingController::focusCurrentWindow() {
    const auto held = s_->screenSnapshot.hold();
    commands_->focusCurrentWindow();
}
std::optional<DisplayID> TilingController::currentDisplay() {
    return summaries_->currentDisplay();
}
std::string TilingController::screenName(const DisplayID& display) {
    return summaries_->screenName(display);
}
void TilingController::publishSummaries() {
    const auto held = s_->screenSnapshot.hold();
    summaries_->publish();
}
LetterShortcutsAssigned TilingController::addLetterWorkspace(int number) {
    const auto held = s_->screenSnapshot.hold();
    return letters_->add(number);
}
void TilingController::removeLetterWorkspace(int number) {
    const auto held = s_->screenSnapshot.hold();
    letters_->remove(number);
}
void TilingController::setLetterShortcuts(LetterShortcuts* shortcuts) {
    letters_->setShortcuts(shortcuts);
}

void TilingController::setActivateSelf(std::function<bool()> activate) {
    commands_->activateSelf = std::move(activate);
}

} // namespace morvanta
