#include "ax/fake/fake_window_system.h"

#include "ax/fake/fake_desktop.h"
#include "ax/fake/fake_focus_tracker.h"
#include "ax/fake/fake_window_access.h"
#include "ax/fake/fake_window_observer.h"

#include <algorithm>
#include <cmath>

namespace morvanta {

FakeWindowSystem::FakeWindowSystem(FakeDesktop& desktop, std::int32_t ownPid)
    : desktop_(desktop), ownPid_(ownPid), access_(std::make_shared<FakeWindowAccess>(desktop)) {
    desktop_.views_.push_back(this);
}

FakeWindowSystem::~FakeWindowSystem() {
    std::erase(desktop_.views_, this);
}

AXWindow FakeWindowSystem::handle(std::uint32_t id) {
    const auto* w = desktop_.find(id);
    return access_->handle(id, w ? w->pid : 0);
}

WindowAccess& FakeWindowSystem::windowAccess() {
    return *access_;
}

std::unique_ptr<WindowObserver> FakeWindowSystem::makeWindowObserver() {
    return std::make_unique<FakeWindowObserver>(desktop_, ownPid_);
}

std::unique_ptr<FocusTracker> FakeWindowSystem::makeFocusTracker() {
    return std::make_unique<FakeFocusTracker>(*this);
}

bool FakeWindowSystem::checkTrust(bool prompt) {
    if (prompt)
        ++desktop_.trustPrompts_;
    return desktop_.trusted_;
}

void FakeWindowSystem::openSettings() {
    ++desktop_.settingsOpened_;
}

std::vector<AXWindow> FakeWindowSystem::all() {
    // Applications in the order their first window appeared, each one's windows front to back.
    std::vector<std::pair<std::uint64_t, std::int32_t>> apps;
    for (const auto& [pid, app] : desktop_.apps_) {
        if (app.launchOrder != 0 && pid != ownPid_)
            apps.emplace_back(app.launchOrder, pid);
    }
    std::sort(apps.begin(), apps.end());

    std::vector<AXWindow> result;
    for (const auto& [order, pid] : apps) {
        for (auto it = desktop_.stacking_.rbegin(); it != desktop_.stacking_.rend(); ++it) {
            const auto& w = desktop_.windows_.at(*it);
            if (w.pid != pid || !FakeWindowAccess::isStandard(w) || w.fullScreen)
                continue;
            if (FakeWindowAccess::isMinimized(w) == true)
                continue;
            result.push_back(access_->handle(w.id, w.pid));
        }
    }
    return result;
}

std::optional<AXWindow> FakeWindowSystem::focused() {
    if (!desktop_.focused_)
        return std::nullopt;
    return handle(*desktop_.focused_);
}

std::optional<std::uint32_t> FakeWindowSystem::number(const AXWindow& window, const Rect& frame) {
    const auto near = [](double a, double b) { return std::abs(a - b) <= 2.0; };
    const auto* w = desktop_.find(window.id());
    if (!w || w->iconified)
        return std::nullopt;
    if (near(w->frame.x, frame.x) && near(w->frame.y, frame.y) &&
        near(w->frame.width, frame.width) && near(w->frame.height, frame.height))
        return w->id + frameNumberOffset;
    return std::nullopt;
}

std::optional<Rect> FakeWindowSystem::bounds(std::uint32_t number) {
    if (number < frameNumberOffset)
        return std::nullopt;
    const auto* w = desktop_.find(number - frameNumberOffset);
    return w ? std::optional<Rect>(w->frame) : std::nullopt;
}

std::vector<Screen> FakeWindowSystem::screens() {
    return desktop_.screens_;
}

} // namespace morvanta
