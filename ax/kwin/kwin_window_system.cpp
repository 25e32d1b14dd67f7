#include "ax/kwin/kwin_window_system.h"

#include "ax/kwin/kwin_focus_tracker.h"
#include "ax/kwin/kwin_mouse_monitor.h"
#include "ax/kwin/kwin_window_access.h"
#include "ax/kwin/kwin_window_observer.h"
#include "ax/open_address.h"

#include <algorithm>
#include <cmath>
#include <sys/wait.h>
#include <tuple>
#include <utility>

namespace morvanta {

KWinWindowSystem::KWinWindowSystem(KWinChannel& channel, KWinOptions options)
    : ownPid_(options.ownPid), log_(options.log), store_(options.stateFile, options.log),
      session_(channel, KWinSessionOptions{options.requestDeadline, options.clock, options.log}),
      access_(std::make_shared<KWinWindowAccess>(state_, session_, store_)) {
    session_.onEvents = [this](std::span<const KWinEvent> events) { apply(events); };
    access_->onMarksChanged = [this] { noteChanges(); };
}

KWinWindowSystem::~KWinWindowSystem() {
    session_.onEvents = nullptr;
    for (auto* observer : std::vector(observers_))
        observer->stop();
    for (auto* tracker : std::vector(trackers_))
        tracker->stop();
    for (auto* monitor : std::vector(mice_))
        monitor->systemGone();
}

WindowAccess& KWinWindowSystem::windowAccess() {
    return *access_;
}

std::optional<AXWindow> KWinWindowSystem::handle(const std::string& internalId) {
    const auto* w = state_.find(internalId);
    return w ? std::optional(access_->handle(*w)) : std::nullopt;
}

std::unique_ptr<WindowObserver> KWinWindowSystem::makeWindowObserver() {
    return std::make_unique<KWinWindowObserver>(*this);
}

std::unique_ptr<FocusTracker> KWinWindowSystem::makeFocusTracker() {
    return std::make_unique<KWinFocusTracker>(*this);
}

void KWinWindowSystem::addObserver(KWinWindowObserver* observer) {
    observers_.push_back(observer);
}
void KWinWindowSystem::removeObserver(KWinWindowObserver* observer) {
    std::erase(observers_, observer);
}
void KWinWindowSystem::addTracker(KWinFocusTracker* tracker) {
    trackers_.push_back(tracker);
}
void KWinWindowSystem::removeTracker(KWinFocusTracker* tracker) {
    std::erase(trackers_, tracker);
}

void KWinWindowSystem::addMouse(KWinMouseMonitor* monitor) {
    mice_.push_back(monitor);
}
void KWinWindowSystem::removeMouse(KWinMouseMonitor* monitor) {
    std::erase(mice_, monitor);
}

std::optional<Point> KWinWindowSystem::pointer() const {
    if (cursor_)
        return cursor_;
    const auto* moved = lastMoved_ ? state_.find(*lastMoved_) : nullptr;
    if (!moved)
        return std::nullopt;
    const Rect& f = moved->record.frame;
    return Point{f.x + f.width / 2, f.y + f.height / 2};
}

void KWinWindowSystem::dispatchPending() {
    session_.receive();
    deliverNews();
    session_.flush();
}

void KWinWindowSystem::apply(std::span<const KWinEvent> events) {
    for (const auto& event : events) {
        noteMouse(event);
        if (const auto* hello = std::get_if<KWinHello>(&event)) {
            applyHello(*hello);
            continue;
        }
        state_.apply(event);
        if (std::holds_alternative<KWinScreens>(event))
            screensNews_ = true;
    }
    access_->recheckMarks();
    noteChanges();
}

void KWinWindowSystem::noteMouse(const KWinEvent& event) {
    const auto release = [this] {
        if (held_) {
            held_.reset();
            queueMouse(MouseEvent::leftUp);
        }
    };
    if (std::holds_alternative<KWinHello>(event)) {
        release(); // a new truth: no move of the last instance is still going on
    } else if (const auto* move = std::get_if<KWinMoveResize>(&event)) {
        if (move->cursor)
            cursor_ = move->cursor;
        lastMoved_ = move->id;
        access_->userMoves(move->id);
        if (move->finished) {
            if (held_ == move->id)
                release();
        } else if (held_ != move->id) {
            release(); // another window's move that never finished
            held_ = move->id;
            queueMouse(MouseEvent::leftDown);
        }
    } else if (const auto* changed = std::get_if<KWinChanged>(&event)) {
        if (held_ == changed->window.id) {
            if (changed->cursor)
                cursor_ = changed->cursor;
            queueMouse(MouseEvent::leftDragged);
        }
    } else if (const auto* removed = std::get_if<KWinRemoved>(&event)) {
        if (held_ == removed->id)
            release();
    }
}

void KWinWindowSystem::queueMouse(MouseEvent event) {
    if (std::ranges::none_of(mice_, [](const auto* monitor) { return monitor->isWatching(); }))
        return;
    // Frame news faster than the dispatch is one drag step.
    if (event == MouseEvent::leftDragged && !mouseNews_.empty() &&
        mouseNews_.back() == MouseEvent::leftDragged)
        return;
    mouseNews_.push_back(event);
    session_.wake();
}

void KWinWindowSystem::applyHello(const KWinHello& hello) {
    ++hellos_;
    std::set<std::string> newIds;
    for (const auto& r : hello.windows)
        if (!state_.knows(r.id))
            newIds.insert(r.id);
    const auto renames = state_.replace(hello);
    screensNews_ = true;
    tell("KWin script said hello (API " + std::to_string(hello.api) +
         "): " + std::to_string(hello.windows.size()) + " window(s) on " +
         std::to_string(hello.screens.size()) + " screen(s).");
    // Marks follow windows KWin knows under new ids (it restarted), also while Morvanta was not
    // running to see them go.
    const auto found = store_.rename(renames) + store_.rename(marksFoundAnew(hello, newIds));
    if (found > 0)
        tell("Found " + std::to_string(found) + " parked window(s) again under new KWin ids.");
    // Only a hello proves a window gone: a removal may come from a script reloading.
    const auto gone = store_.prune([this](const std::string& id) { return state_.find(id); });
    if (gone > 0)
        tell("Dropped the parking marks of " + std::to_string(gone) + " closed window(s).");
}

std::vector<std::pair<std::string, std::string>>
KWinWindowSystem::marksFoundAnew(const KWinHello& hello,
                                 const std::set<std::string>& newIds) const {
    std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>> sides;
    for (const auto& [id, mark] : store_.marks())
        if (!state_.find(id))
            if (const auto key =
                    KWinDesktopState::sameWindowKey(mark.pid, mark.resourceClass, mark.caption))
                sides[*key].first.push_back(id);
    for (const auto& r : hello.windows)
        if (newIds.contains(r.id) && !store_.find(r.id))
            if (const auto key = KWinDesktopState::sameWindowKey(r.pid, r.resourceClass, r.caption))
                sides[*key].second.push_back(r.id);
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& [key, side] : sides)
        if (side.first.size() == 1 && side.second.size() == 1)
            found.emplace_back(side.first.front(), side.second.front());
    return found;
}

void KWinWindowSystem::noteChanges() {
    std::map<std::uint32_t, Listing> listing;
    for (const auto& [id, w] : state_.windows())
        if (w.record.pid != ownPid_)
            listing.emplace(w.number,
                            Listing{KWinWindowAccess::isStandard(w.record),
                                    access_->isMinimizedByUser(w.record), w.record.fullScreen});
    if (listing != listing_) {
        listing_ = std::move(listing);
        windowsNews_ = true;
    }
    const auto* active = state_.active();
    const std::optional<std::uint32_t> number =
        active ? std::optional(active->number) : std::nullopt;
    if (number != toldActive_) {
        toldActive_ = number;
        focusNews_ = true;
    } else if (active && active->record.frame != toldActiveFrame_) {
        focusMovedNews_ = true;
    }
    if (active)
        toldActiveFrame_ = active->record.frame;
    if (windowsNews_ || focusNews_ || focusMovedNews_ || screensNews_)
        session_.wake();
}

void KWinWindowSystem::deliverNews() {
    const bool windows = std::exchange(windowsNews_, false);
    const bool focus = std::exchange(focusNews_, false);
    const bool moved = std::exchange(focusMovedNews_, false);
    const bool screens = std::exchange(screensNews_, false);
    // The mouse first: a drag tracker that starts now keeps the border from the focus tracker's
    // frame news of the same dispatch.
    for (const MouseEvent event : std::exchange(mouseNews_, {}))
        for (auto* monitor : std::vector(mice_))
            if (std::ranges::find(mice_, monitor) != mice_.end())
                monitor->report(event);
    // Copies: a callback may stop an observer or tracker (or start one).
    for (auto* observer : std::vector(observers_)) {
        const auto still = [&] {
            return std::ranges::find(observers_, observer) != observers_.end();
        };
        if (windows && still())
            observer->deliver(WindowObserver::Event::windowsChanged);
        if (focus && still())
            observer->deliver(WindowObserver::Event::focusChanged);
    }
    if (focus || moved)
        for (auto* tracker : std::vector(trackers_))
            if (std::ranges::find(trackers_, tracker) != trackers_.end())
                tracker->report(focus);
    if (screens && onScreensChanged)
        onScreensChanged();
}

std::optional<AXWindow> KWinWindowSystem::trackedFocus() {
    const auto* active = state_.active();
    if (!active || active->record.pid == ownPid_)
        return std::nullopt;
    return access_->handle(*active);
}

bool KWinWindowSystem::checkTrust(bool) {
    // KWin asks no permission of its scripts; `prompt` changes nothing.
    session_.watchChannel();
    return session_.live();
}

void KWinWindowSystem::openSettings() {
    openAddress(helpAddress);
}

std::vector<AXWindow> KWinWindowSystem::all() {
    // Processes in the order their first window appeared, each one's windows front to back.
    std::map<std::int32_t, std::uint64_t> firstOfProcess;
    for (const auto& [id, w] : state_.windows()) {
        auto [it, added] = firstOfProcess.try_emplace(w.record.pid, w.appeared);
        it->second = std::min(it->second, w.appeared);
    }
    std::vector<const KWinDesktopState::Window*> listed;
    for (const auto& [id, w] : state_.windows()) {
        const auto& r = w.record;
        if (r.pid != ownPid_ && KWinWindowAccess::isStandard(r) && !access_->isMinimizedByUser(r) &&
            !r.fullScreen)
            listed.push_back(&w);
    }
    std::ranges::sort(listed, [&](const auto* a, const auto* b) {
        return std::tuple(firstOfProcess[a->record.pid], -a->record.stacking, a->appeared) <
               std::tuple(firstOfProcess[b->record.pid], -b->record.stacking, b->appeared);
    });
    std::vector<AXWindow> result;
    for (const auto* w : listed)
        result.push_back(access_->handle(*w));
    return result;
}

std::optional<AXWindow> KWinWindowSystem::focused() {
    const auto* active = state_.active();
    return active ? std::optional(access_->handle(*active)) : std::nullopt;
}

std::optional<std::uint32_t> KWinWindowSystem::number(const AXWindow& window, const Rect& frame) {
    const auto near = [](double a, double b) { return std::abs(a - b) <= 2.0; };
    const auto* w = state_.findNumber(window.id());
    if (!w || w->record.minimized)
        return std::nullopt;
    const Rect& f = w->record.frame;
    if (near(f.x, frame.x) && near(f.y, frame.y) && near(f.width, frame.width) &&
        near(f.height, frame.height))
        return w->number;
    return std::nullopt;
}

std::optional<Rect> KWinWindowSystem::bounds(std::uint32_t number) {
    const auto* w = state_.findNumber(number);
    return w ? std::optional(w->record.frame) : std::nullopt;
}

} // namespace morvanta
