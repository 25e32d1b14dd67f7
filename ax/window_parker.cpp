#include "ax/window_parker.h"

#include "ax/screen_geometry.h"

namespace morvanta {

std::optional<Rect> WindowParker::park(const AXWindow& window,
                                       const std::optional<Screen>& screen) {
    if (isParked(window))
        return std::nullopt;
    const auto before = access_.frame(window);
    if (!before)
        return std::nullopt;
    const auto screens = screens_.screens();
    const auto target = screen ? screen : ScreenGeometry::screen(screens, *before);
    if (!target)
        return std::nullopt;

    Entry entry{*before, false};
    // The mark goes on first: a process killed mid-way still leaves a window a later run finds.
    access_.setParkMark(window, *before);
    if (minimises_) {
        entry.minimised = true;
        parked_[window] = entry;
        access_.iconify(window);
        return access_.frame(window);
    }
    parked_[window] = entry;
    access_.setPosition(window, ScreenGeometry::parkingTarget(*target));
    const auto after = access_.frame(window);
    if (after && !ScreenGeometry::isParkedPosition(screens, *after)) {
        // The window manager keeps windows on screen: minimise this one and every later one.
        // It goes back to its own place first, so it reappears there when it is shown again.
        minimises_ = true;
        parked_[window].minimised = true;
        access_.setPosition(window, before->origin());
        access_.iconify(window);
    }
    return after;
}

void WindowParker::putBack(const AXWindow& window, const Entry& entry) {
    // Shown first: window managers may not move a minimised window.
    if (entry.minimised)
        access_.deiconify(window);
    access_.setFrame(window, entry.saved);
    access_.clearParkMark(window);
}

void WindowParker::restore(const AXWindow& window) {
    const auto it = parked_.find(window);
    if (it == parked_.end())
        return;
    const Entry entry = it->second;
    parked_.erase(it);
    putBack(window, entry);
}

void WindowParker::forget(const AXWindow& window) {
    const auto it = parked_.find(window);
    if (it == parked_.end())
        return;
    const bool minimised = it->second.minimised;
    parked_.erase(it);
    if (minimised)
        access_.deiconify(window);
    access_.clearParkMark(window);
}

void WindowParker::restoreAll() {
    auto entries = std::move(parked_);
    parked_.clear();
    // In three sweeps, so waits for the window manager are paid once, not once per window.
    std::vector<AXWindow> minimised;
    std::vector<std::pair<AXWindow, Rect>> frames;
    for (const auto& [window, entry] : entries) {
        if (entry.minimised)
            minimised.push_back(window);
        frames.emplace_back(window, entry.saved);
    }
    if (!minimised.empty())
        access_.deiconifyAll(minimised);
    access_.setFrames(frames);
    for (const auto& [window, entry] : entries)
        access_.clearParkMark(window);
}

std::vector<AXWindow> WindowParker::restoreMarked() {
    std::vector<AXWindow> restored, minimised;
    std::vector<std::pair<AXWindow, Rect>> frames;
    for (const auto& [window, saved] : access_.markedWindows()) {
        if (isParked(window))
            continue;
        if (access_.isIconified(window))
            minimised.push_back(window);
        frames.emplace_back(window, saved);
        restored.push_back(window);
    }
    if (!minimised.empty())
        access_.deiconifyAll(minimised);
    access_.setFrames(frames);
    for (const auto& window : restored)
        access_.clearParkMark(window);
    return restored;
}

bool WindowParker::isInParkedPosition(const AXWindow& window, const Rect& frame) {
    if (ScreenGeometry::isParkedPosition(screens_.screens(), frame))
        return true;
    return access_.parkMark(window).has_value() && access_.isIconified(window);
}

} // namespace morvanta
