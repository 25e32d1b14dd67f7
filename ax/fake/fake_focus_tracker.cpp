#include "ax/fake/fake_focus_tracker.h"

#include "ax/fake/fake_desktop.h"
#include "ax/fake/fake_window_system.h"

#include <algorithm>

namespace morvanta {

FakeFocusTracker::~FakeFocusTracker() {
    stop();
}

void FakeFocusTracker::start() {
    if (started_)
        return;
    started_ = true;
    view_.desktop().trackers_.push_back(this);
    report(true);
}

void FakeFocusTracker::stop() {
    if (!started_)
        return;
    started_ = false;
    std::erase(view_.desktop().trackers_, this);
}

void FakeFocusTracker::focusChanged() {
    report(true);
}

void FakeFocusTracker::focusedWindowMoved() {
    report(false);
}

void FakeFocusTracker::report(bool evenWhenNone) {
    const auto& desktop = view_.desktop();
    const auto* w = desktop.focused_ ? desktop.find(*desktop.focused_) : nullptr;
    // This program's own windows are not followed: they count as no focused window.
    if (!w || w->pid == view_.ownPid()) {
        if (evenWhenNone && onChange)
            onChange(std::nullopt);
        return;
    }
    if (onChange)
        onChange(view_.handle(w->id));
}

} // namespace morvanta
