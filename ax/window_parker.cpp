#include "ax/window_parker.h"

#include "ax/screen_geometry.h"

#include <unordered_set>
#include <utility>

namespace morvanta {

namespace {

std::vector<AXWindow> windowsOf(const std::vector<WindowParker::ParkJob>& jobs) {
    std::vector<AXWindow> windows;
    windows.reserve(jobs.size());
    for (const auto& job : jobs)
        windows.push_back(job.window);
    return windows;
}

} // namespace

std::optional<Rect> WindowParker::park(const AXWindow& window,
                                       const std::optional<Screen>& screen) {
    return parkAll({{window, screen}}).front();
}

std::vector<std::optional<Rect>> WindowParker::parkAll(const std::vector<ParkRequest>& requests) {
    auto batch = prepareParking(requests);
    sendParking(batch);
    return confirmParking(batch);
}

WindowParker::ParkBatch WindowParker::prepareParking(const std::vector<ParkRequest>& requests) {
    ParkBatch batch;
    batch.requests = requests;
    std::vector<AXWindow> candidates;
    std::unordered_set<AXWindow> named;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const AXWindow& window = requests[i].first;
        // The first saved frame stays: a parked window is not parked again.
        if (!isParked(window) && named.insert(window).second) {
            batch.toPark.push_back(i);
            candidates.push_back(window);
        }
    }
    if (!candidates.empty())
        batch.before = access_.queryFrames(candidates);
    return batch;
}

void WindowParker::sendParking(ParkBatch& batch) {
    if (!batch.before)
        return;
    const auto before = std::exchange(batch.before, nullptr)->collect();
    // Read once, and only when some window needs them.
    auto& screens = batch.screens;
    for (std::size_t k = 0; k < batch.toPark.size(); ++k) {
        const auto& [window, given] = batch.requests[batch.toPark[k]];
        // Skipped when it vanished, or was parked by someone else since the frames were asked for.
        if (!before[k] || isParked(window))
            continue;
        if (!given && !screens)
            screens = screens_.screens();
        const auto target = given ? given : ScreenGeometry::screen(*screens, *before[k]);
        if (!target)
            continue;
        batch.jobs.push_back(
            {batch.toPark[k], window, *before[k], ScreenGeometry::parkingTarget(*target)});
    }
    if (batch.jobs.empty())
        return;

    // The marks go on first: a process killed mid-way still leaves windows a later run finds.
    std::vector<std::pair<AXWindow, Rect>> marks;
    for (const auto& job : batch.jobs)
        marks.emplace_back(job.window, job.before);
    access_.setParkMarks(marks);
    for (const auto& job : batch.jobs)
        parked_[job.window] = Entry{job.before, minimises_};

    batch.minimised = minimises_;
    if (minimises_) {
        access_.iconifyAll(windowsOf(batch.jobs));
        return;
    }
    std::vector<std::pair<AXWindow, Point>> corners;
    for (const auto& job : batch.jobs)
        corners.emplace_back(job.window, job.target);
    access_.sendPositions(corners);
}

std::vector<std::optional<Rect>> WindowParker::confirmParking(const ParkBatch& batch) {
    std::vector<std::optional<Rect>> result(batch.requests.size());
    std::vector<ParkJob> jobs;
    for (const auto& job : batch.jobs)
        if (isParked(job.window))
            jobs.push_back(job);
    if (jobs.empty())
        return result;
    const auto moved = windowsOf(jobs);
    if (!batch.minimised)
        access_.settle();
    const auto after = access_.frames(moved);
    if (batch.minimised) {
        for (std::size_t k = 0; k < jobs.size(); ++k)
            result[jobs[k].slot] = after[k];
        return result;
    }

    auto screens = batch.screens;
    std::vector<std::pair<AXWindow, Point>> back;
    for (std::size_t k = 0; k < jobs.size(); ++k) {
        result[jobs[k].slot] = after[k];
        if (!after[k])
            continue;
        if (!screens)
            screens = screens_.screens();
        if (!ScreenGeometry::isParkedPosition(*screens, *after[k])) {
            back.emplace_back(jobs[k].window, jobs[k].before.origin());
            parked_[jobs[k].window].minimised = true;
        }
    }
    if (!back.empty()) {
        // The window manager keeps windows on screen: minimise these and every later one. They
        // go back to their own places first, so they reappear there when shown again.
        minimises_ = true;
        access_.setPositions(back);
        std::vector<AXWindow> refused;
        for (const auto& [window, origin] : back)
            refused.push_back(window);
        access_.iconifyAll(refused);
    }
    return result;
}

void WindowParker::putBack(const std::vector<std::pair<AXWindow, Entry>>& entries) {
    if (entries.empty())
        return;
    // In three sweeps, so waits for the window manager are paid once, not once per window.
    std::vector<AXWindow> minimised, windows;
    std::vector<std::pair<AXWindow, Rect>> frames;
    for (const auto& [window, entry] : entries) {
        if (entry.minimised)
            minimised.push_back(window);
        frames.emplace_back(window, entry.saved);
        windows.push_back(window);
    }
    if (!minimised.empty()) {
        // Set while still minimised too: a window manager that animates minimising may still be
        // at it, and one that animates restoring may drop a frame set during the animation;
        // either way the window manager then already holds the frame it restores to.
        std::vector<std::pair<AXWindow, Rect>> early;
        for (const auto& [window, entry] : entries)
            if (entry.minimised)
                early.emplace_back(window, entry.saved);
        access_.setFrames(early);
        access_.deiconifyAll(minimised, true);
    }
    access_.setFrames(frames);
    access_.clearParkMarks(windows);
}

void WindowParker::restore(const AXWindow& window) {
    restoreMany({window});
}

void WindowParker::restoreMany(const std::vector<AXWindow>& windows) {
    std::vector<std::pair<AXWindow, Entry>> entries;
    for (const auto& window : windows) {
        const auto it = parked_.find(window);
        if (it == parked_.end())
            continue;
        entries.emplace_back(window, it->second);
        parked_.erase(it);
    }
    putBack(entries);
}

void WindowParker::forget(const AXWindow& window) {
    forgetAll({window});
}

void WindowParker::forgetAll(const std::vector<AXWindow>& windows) {
    std::vector<AXWindow> forgotten, minimised;
    for (const auto& window : windows) {
        const auto it = parked_.find(window);
        if (it == parked_.end())
            continue;
        if (it->second.minimised)
            minimised.push_back(window);
        forgotten.push_back(window);
        parked_.erase(it);
    }
    if (forgotten.empty())
        return;
    // Shown before the marks go, so no window is ever minimised without its mark.
    if (!minimised.empty())
        access_.deiconifyAll(minimised, false);
    access_.clearParkMarks(forgotten);
}

void WindowParker::restoreAll() {
    std::vector<std::pair<AXWindow, Entry>> entries(parked_.begin(), parked_.end());
    parked_.clear();
    putBack(entries);
}

std::vector<AXWindow> WindowParker::restoreMarked() {
    std::vector<AXWindow> restored;
    std::vector<Rect> saved;
    for (const auto& [window, frame] : access_.markedWindows()) {
        if (isParked(window))
            continue;
        restored.push_back(window);
        saved.push_back(frame);
    }
    if (restored.empty())
        return restored;
    const auto iconified = access_.isIconifiedAll(restored);
    std::vector<std::pair<AXWindow, Entry>> entries;
    for (std::size_t i = 0; i < restored.size(); ++i)
        entries.emplace_back(restored[i], Entry{saved[i], iconified[i]});
    putBack(entries);
    return restored;
}

std::optional<Rect> WindowParker::savedFrame(const AXWindow& window) const {
    const auto it = parked_.find(window);
    return it != parked_.end() ? std::optional<Rect>(it->second.saved) : std::nullopt;
}

bool WindowParker::isInParkedPosition(const AXWindow& window, const Rect& frame) {
    return areInParkedPosition({{window, frame}}).front();
}

std::vector<bool>
WindowParker::areInParkedPosition(const std::vector<std::pair<AXWindow, Rect>>& frames) {
    std::vector<bool> result(frames.size(), false);
    if (frames.empty())
        return result;
    const auto screens = screens_.screens();
    std::vector<std::size_t> rest;
    std::vector<AXWindow> windows;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (ScreenGeometry::isParkedPosition(screens, frames[i].second)) {
            result[i] = true;
        } else {
            rest.push_back(i);
            windows.push_back(frames[i].first);
        }
    }
    if (windows.empty())
        return result;
    const auto marks = access_.parkMarks(windows);
    const auto iconified = access_.isIconifiedAll(windows);
    for (std::size_t k = 0; k < rest.size(); ++k)
        result[rest[k]] = marks[k].has_value() && iconified[k];
    return result;
}

} // namespace morvanta
