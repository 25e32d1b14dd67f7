#include "ax/kwin/kwin_window_access.h"

#include "ax/screen_geometry.h"

#include <algorithm>
#include <cmath>

namespace morvanta {

using Op = KWinCommand::Op;

namespace {

// Sizes KWin sets in whole pixels: a layout's fractions are not a difference.
bool sameSize(const Size& a, const Size& b) {
    return std::abs(a.width - b.width) < 1.0 && std::abs(a.height - b.height) < 1.0;
}

} // namespace

AXWindow KWinWindowAccess::handle(const KWinDesktopState::Window& window) {
    return AXWindow(weak_from_this(), window.number, window.record.pid);
}

bool KWinWindowAccess::isStandard(const KWinWindowRecord& record) {
    return record.normal && !record.dialog && !record.transient && !record.skipTaskbar &&
           !record.special;
}

bool KWinWindowAccess::isMinimizedByUser(const KWinWindowRecord& record) const {
    // A window that Morvanta's parking minimised is hidden, not minimised by the user.
    return record.minimized && !store_.find(record.id);
}

const KWinWindowRecord* KWinWindowAccess::recordOf(const AXWindow& window) const {
    const auto* w = state_.findNumber(window.id());
    return w ? &w->record : nullptr;
}

std::string KWinWindowAccess::title(const AXWindow& window) {
    const auto* r = recordOf(window);
    return r ? r->caption : std::string();
}

std::string KWinWindowAccess::appName(const AXWindow& window) {
    if (const auto* r = recordOf(window))
        for (const auto* name : {&r->resourceClass, &r->desktopFile, &r->resourceName})
            if (!name->empty())
                return *name;
    return "pid " + std::to_string(window.pid());
}

std::optional<std::string> KWinWindowAccess::bundleIdentifier(const AXWindow& window) {
    // The class on X11 clients, the app id on Wayland ones: what app rules match.
    const auto* r = recordOf(window);
    if (!r)
        return std::nullopt;
    if (!r->resourceClass.empty())
        return r->resourceClass;
    if (!r->desktopFile.empty())
        return r->desktopFile;
    return std::nullopt;
}

bool KWinWindowAccess::isStandard(const AXWindow& window) {
    const auto* r = recordOf(window);
    return r && isStandard(*r);
}

std::optional<bool> KWinWindowAccess::isMinimized(const AXWindow& window) {
    const auto* r = recordOf(window);
    return r ? std::optional<bool>(isMinimizedByUser(*r)) : std::nullopt;
}

std::optional<bool> KWinWindowAccess::isFullScreen(const AXWindow& window) {
    const auto* r = recordOf(window);
    return r ? std::optional<bool>(r->fullScreen) : std::nullopt;
}

bool KWinWindowAccess::command(const AXWindow& window, Op op, Rect frame, bool on) {
    const auto* r = recordOf(window);
    if (!r)
        return false;
    session_.queue(KWinCommand{op, r->id, frame, on});
    return true;
}

void KWinWindowAccess::raise(const AXWindow& window) {
    command(window, Op::raise);
}

void KWinWindowAccess::focusNothing() {
    KWinCommand command;
    command.op = Op::deactivate;
    session_.queue(std::move(command));
}

FocusResult KWinWindowAccess::focus(const AXWindow& window) {
    if (!command(window, Op::activate))
        return {-1, -1, -1};
    session_.settle();
    return {0, 0, 0};
}

void KWinWindowAccess::sendFocus(const AXWindow& window) {
    command(window, Op::activate);
}

std::vector<std::optional<Rect>> KWinWindowAccess::frames(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Rect>> result;
    result.reserve(windows.size());
    for (const auto& w : windows) {
        const auto* r = recordOf(w);
        result.push_back(r ? std::optional<Rect>(r->frame) : std::nullopt);
    }
    return result;
}

void KWinWindowAccess::sendFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    for (const auto& [w, frame] : targets) {
        const auto* r = recordOf(w);
        if (!r || !command(w, Op::frame, frame))
            continue;
        const Size size{frame.width, frame.height};
        const Size now{r->frame.width, r->frame.height};
        auto known = resizes_.find(r->id);
        if (known != resizes_.end() && isAnswered(known->second, r->frame)) {
            resizes_.erase(known);
            known = resizes_.end();
        }
        if (known == resizes_.end()) {
            if (!sameSize(size, now))
                resizes_.emplace(r->id, Resize{frame, {r->frame.x, r->frame.y}, now, {}});
            continue;
        }
        // A window still to answer an earlier request: this one comes after it, even at the
        // size the window has now.
        auto& resize = known->second;
        if (!sameSize(size, {resize.asked.width, resize.asked.height})) {
            resize.earlier.push_back({resize.asked.width, resize.asked.height});
            if (resize.earlier.size() > maxEarlier)
                resize.earlier.erase(resize.earlier.begin());
        }
        resize.asked = frame;
        resize.from = {r->frame.x, r->frame.y};
        resize.fresh = true;
        resize.askedAgain = false;
        resize.behind = false;
    }
}

bool KWinWindowAccess::isAnswered(Resize& resize, const Rect& frame) {
    const Size size{frame.width, frame.height};
    if (sameSize(size, {resize.asked.width, resize.asked.height}))
        return true;
    const auto earlier = std::ranges::find_if(
        resize.earlier, [&](const Size& asked) { return sameSize(size, asked); });
    if (earlier != resize.earlier.end()) {
        resize.before = *earlier;
        resize.earlier.erase(resize.earlier.begin(), earlier + 1);
        resize.behind = true;
        return false;
    }
    // Any other size than before is the program's own choice (or steps KWin rounded to).
    if (!sameSize(size, resize.before))
        return true;
    // At the size before but at the new position: the program answered, keeping its size.
    return resize.earlier.empty() && !resize.behind && movedAsAsked(resize, frame);
}

bool KWinWindowAccess::atPosition(const Rect& frame, const Rect& asked) {
    return std::abs(frame.x - asked.x) < 1.0 && std::abs(frame.y - asked.y) < 1.0;
}

bool KWinWindowAccess::movedAsAsked(const Resize& resize, const Rect& frame) {
    return !atPosition({resize.from.x, resize.from.y, 0, 0}, resize.asked) &&
           atPosition(frame, resize.asked);
}

void KWinWindowAccess::settle() {
    session_.settle();
    awaitResizes();
}

void KWinWindowAccess::awaitResizes() {
    // Answered: gone, or at an answer to its last request.
    const auto answered = [this] {
        for (auto it = resizes_.begin(); it != resizes_.end();) {
            const auto* w = state_.find(it->first);
            it = !w || isAnswered(it->second, w->record.frame) ? resizes_.erase(it) : std::next(it);
        }
        return std::ranges::none_of(resizes_, [](const auto& entry) { return entry.second.fresh; });
    };
    session_.waitUntil(answered, resizeAnswerLimit);
    // Silence is a refusal only while the programs keep up: when another window of this wait
    // has evidently not answered yet, a silent one may just be slow too.
    bool lagging = false;
    for (auto& [id, resize] : resizes_) {
        const auto* w = state_.find(id);
        if (resize.fresh && w && !isAnswered(resize, w->record.frame))
            lagging = lagging || isBehind(resize, w->record.frame);
    }
    for (auto it = resizes_.begin(); it != resizes_.end();)
        it = stillToAnswer(it->first, it->second, lagging) ? std::next(it) : resizes_.erase(it);
}

bool KWinWindowAccess::isBehind(const Resize& resize, const Rect& frame) {
    return !resize.earlier.empty() || resize.behind || !atPosition(frame, resize.asked);
}

bool KWinWindowAccess::stillToAnswer(const std::string& id, Resize& resize, bool lagging) {
    if (!std::exchange(resize.fresh, false))
        return true;
    const auto* w = state_.find(id);
    if (!w || isAnswered(resize, w->record.frame))
        return false;
    // A program that keeps its size and stays where it is answers nothing KWin reports: after
    // the wait, its size is what it keeps.
    const Rect& frame = w->record.frame;
    if (!isBehind(resize, frame))
        return lagging;
    // Not even at the position asked: KWin may have dropped the request; it goes once more.
    if (!atPosition(frame, resize.asked) && !resize.askedAgain) {
        resize.askedAgain = true;
        session_.queue(KWinCommand{Op::frame, id, resize.asked, false});
    }
    return true;
}

std::vector<bool> KWinWindowAccess::framesAnswered(const std::vector<AXWindow>& windows) {
    std::vector<bool> result;
    for (const auto& window : windows) {
        const auto* r = recordOf(window);
        const auto it = r ? resizes_.find(r->id) : resizes_.end();
        const bool answered = it == resizes_.end() || isAnswered(it->second, r->frame);
        if (answered && it != resizes_.end())
            resizes_.erase(it);
        result.push_back(answered);
    }
    return result;
}

std::vector<bool>
KWinWindowAccess::setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    sendFrames(targets);
    settle();
    std::vector<bool> result;
    for (const auto& target : targets)
        result.push_back(recordOf(target.first) != nullptr);
    return result;
}

std::vector<std::optional<Size>>
KWinWindowAccess::sizeIncrements(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Size>> result;
    for (const auto& w : windows) {
        const auto* r = recordOf(w);
        const auto step = r ? r->sizeIncrement : std::nullopt;
        // A step of one point is no step.
        result.push_back(step && (step->width > 1 || step->height > 1) ? step : std::nullopt);
    }
    return result;
}

void KWinWindowAccess::sendPositions(const std::vector<std::pair<AXWindow, Point>>& targets) {
    for (const auto& [w, origin] : targets)
        command(w, Op::position, Rect{origin.x, origin.y, 0, 0});
}

void KWinWindowAccess::setPositions(const std::vector<std::pair<AXWindow, Point>>& targets) {
    sendPositions(targets);
    session_.settle();
}

std::vector<std::pair<AXWindow, Rect>> KWinWindowAccess::markedWindows() {
    std::vector<std::pair<AXWindow, Rect>> marked;
    for (const auto& [id, mark] : store_.marks())
        if (const auto* w = state_.find(id))
            marked.emplace_back(handle(*w), mark.frame);
    return marked;
}

void KWinWindowAccess::setParkMarks(const std::vector<std::pair<AXWindow, Rect>>& marks) {
    std::vector<std::pair<std::string, KWinParkStore::Mark>> entries;
    for (const auto& [w, frame] : marks)
        if (const auto* r = recordOf(w)) {
            entries.emplace_back(r->id,
                                 KWinParkStore::Mark{frame, r->pid, r->resourceClass, r->caption});
            unmarkWhenShown_.erase(r->id);
        }
    store_.set(entries);
    if (onMarksChanged)
        onMarksChanged();
}

void KWinWindowAccess::clearParkMarks(const std::vector<AXWindow>& windows) {
    std::vector<std::string> ids;
    for (const auto& w : windows)
        if (const auto* id = state_.internalIdOf(w.id()); id && store_.find(*id))
            ids.push_back(*id);
    if (ids.empty())
        return;
    session_.whenCarriedOut([this, ids] { dropMarksOfShown(ids); });
}

void KWinWindowAccess::dropMarksOfShown(const std::vector<std::string>& internalIds) {
    unmarkWhenShown_.insert(internalIds.begin(), internalIds.end());
    recheckMarks(true);
}

void KWinWindowAccess::recheckMarks(bool goneCounts) {
    if (unmarkWhenShown_.empty())
        return;
    const auto screens = state_.axScreens();
    std::vector<std::string> shown;
    for (const auto& id : unmarkWhenShown_) {
        const auto* w = state_.find(id);
        if (w ? !w->record.minimized && !ScreenGeometry::isParkedPosition(screens, w->record.frame)
              : goneCounts)
            shown.push_back(id);
    }
    if (shown.empty())
        return;
    for (const auto& id : shown)
        unmarkWhenShown_.erase(id);
    store_.erase(shown);
    if (onMarksChanged)
        onMarksChanged();
}

std::vector<std::optional<Rect>> KWinWindowAccess::parkMarks(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Rect>> result;
    for (const auto& w : windows) {
        const auto* id = state_.internalIdOf(w.id());
        const auto* mark = id ? store_.find(*id) : nullptr;
        result.push_back(mark ? std::optional<Rect>(mark->frame) : std::nullopt);
    }
    return result;
}

std::vector<bool> KWinWindowAccess::iconifyAll(const std::vector<AXWindow>& windows) {
    for (const auto& w : windows)
        command(w, Op::minimize, {}, true);
    session_.settle();
    return isIconifiedAll(windows);
}

void KWinWindowAccess::deiconifyAll(const std::vector<AXWindow>& windows, bool settle) {
    for (const auto& w : windows)
        command(w, Op::minimize, {}, false);
    // KWin does not move a window while restoring it, so the acknowledgement is the settling.
    // Without `settle` the commands ride in the next batch, after the frames queued before.
    if (settle)
        session_.settle();
}

std::vector<bool> KWinWindowAccess::isIconifiedAll(const std::vector<AXWindow>& windows) {
    std::vector<bool> result;
    for (const auto& w : windows) {
        const auto* r = recordOf(w);
        result.push_back(r && r->minimized);
    }
    return result;
}

} // namespace morvanta
