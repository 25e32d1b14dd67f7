#include "app/controller/focus_border.h"

#include "ax/frame_timer.h"
#include "ax/mouse_monitor.h"

#include <algorithm>

namespace morvanta {

FocusBorder::FocusBorder(ControllerState& state, std::unique_ptr<BorderOverlay> border,
                         MouseMonitor* mouse, FrameTimer* frameTimer)
    : state_(state), border_(std::move(border)), focusTracker_(state.system.makeFocusTracker()),
      self_(this) {
    if (border_ && mouse && frameTimer)
        dragTracker_ =
            std::make_unique<BorderDragTracker>(*border_, state.system.windowNumbers(),
                                                state.system.screenSource(), *mouse, *frameTimer);
}

FocusBorder::~FocusBorder() {
    self_.end();
    if (focusTracker_) {
        focusTracker_->stop();
        focusTracker_->onChange = nullptr;
    }
    if (dragTracker_) {
        dragTracker_->stop();
        dragTracker_->onDragEnded = nullptr;
    }
    if (border_)
        border_->hide();
}

void FocusBorder::applyAppearance() {
    if (border_) {
        BorderColor color; // the border's own blue when the stored text does not parse
        if (const auto parsed = AppSettings::colorFromHex(state_.settings.borderColorHex()))
            color = {parsed->red, parsed->green, parsed->blue, parsed->alpha};
        // The colour first: setting the width redraws, so a new colour shows at once.
        border_->setColor(color);
        border_->setWidth(state_.settings.borderWidth());
    }
    if (dragTracker_)
        dragTracker_->mode = state_.settings.hideBorderWhileDragging()
                                 ? BorderDragTracker::Mode::hideWhileDragging
                                 : BorderDragTracker::Mode::predictive;
}

void FocusBorder::start() {
    if (!border_)
        return;
    const auto weak = self_.ref();
    if (focusTracker_) {
        focusTracker_->onChange = [weak](const std::optional<AXWindow>& window) {
            auto* self = weak.get();
            if (!self)
                return;
            if (self->dragTracker_)
                self->dragTracker_->target = window;
            if (!self->dragTracker_ || !self->dragTracker_->isTracking())
                self->update(window);
        };
        focusTracker_->start();
    }
    if (dragTracker_) {
        dragTracker_->onDragEnded = [weak] {
            if (auto* self = weak.get())
                self->update(self->dragTracker_->target);
        };
        dragTracker_->start();
    }
    running_ = true;
    update(state_.focus.focused());
}

void FocusBorder::stop() {
    if (focusTracker_)
        focusTracker_->stop();
    if (dragTracker_)
        dragTracker_->stop();
    running_ = false;
    hide();
}

void FocusBorder::hide() {
    if (border_)
        border_->hide();
}

bool FocusBorder::mayShow(const std::optional<AXWindow>& window) const {
    if (!state_.settings.borderEnabled() || !state_.isRunning.get() || state_.isPaused.get() ||
        !window)
        return false;
    const auto id = state_.registry.idFor(*window);
    if (!id || !state_.manager.isVisible(*id) || state_.parker.isParked(*window))
        return false;
    // The window's class is read only when some rule could hide the border.
    const auto& rules = state_.settings.appRules();
    if (std::none_of(rules.begin(), rules.end(), [](const auto& rule) { return rule.noBorder; }))
        return true;
    const auto rule = state_.settings.ruleForBundleID(window->bundleIdentifier());
    return !rule || !rule->noBorder;
}

void FocusBorder::update(const std::optional<AXWindow>& window) {
    if (!border_)
        return;
    if (!mayShow(window)) {
        border_->hide();
        return;
    }
    border_->show(*window);
    if (dragTracker_)
        dragTracker_->target = window;
}

} // namespace morvanta
