#include "ax/fake/fake_window_access.h"

#include "ax/fake/fake_desktop.h"

namespace morvanta {

using Kind = FakeOperation::Kind;

AXWindow FakeWindowAccess::handle(std::uint32_t id, std::int32_t pid) {
    return AXWindow(weak_from_this(), id, pid);
}

bool FakeWindowAccess::isStandard(const FakeWindow& window) {
    return window.typeReadable && window.options.type == FakeWindowType::normal &&
           !window.options.transientFor;
}

std::optional<bool> FakeWindowAccess::isMinimized(const FakeWindow& window) {
    if (!window.minimisedReadable)
        return std::nullopt;
    // A window minimised by Morvanta's parking is hidden, not minimised by the user.
    return window.iconified && !window.parkMark;
}

std::string FakeWindowAccess::title(const AXWindow& window) {
    const auto* w = desktop_.touch(window.id());
    return w ? w->title : std::string();
}

std::string FakeWindowAccess::appName(const AXWindow& window) {
    desktop_.touch(window.id());
    const auto* app = desktop_.runningApp(window.pid());
    if (!app || app->name.empty())
        return "pid " + std::to_string(window.pid());
    return app->name;
}

std::optional<std::string> FakeWindowAccess::bundleIdentifier(const AXWindow& window) {
    const auto* w = desktop_.touch(window.id());
    if (!w)
        return std::nullopt;
    if (w->options.windowClass)
        return w->options.windowClass;
    const auto* app = desktop_.runningApp(w->pid);
    if (!app || app->windowClass.empty())
        return std::nullopt;
    return app->windowClass;
}

bool FakeWindowAccess::isStandard(const AXWindow& window) {
    const auto* w = desktop_.touch(window.id());
    return w && isStandard(*w);
}

std::optional<bool> FakeWindowAccess::isMinimized(const AXWindow& window) {
    const auto* w = desktop_.touch(window.id());
    return w ? isMinimized(*w) : std::nullopt;
}

std::optional<bool> FakeWindowAccess::isFullScreen(const AXWindow& window) {
    const auto* w = desktop_.touch(window.id());
    return w ? std::optional<bool>(w->fullScreen) : std::nullopt;
}

std::optional<Rect> FakeWindowAccess::readFrame(const AXWindow& window) {
    const auto* w = desktop_.touch(window.id());
    if (!w || !w->frameReadable)
        return std::nullopt;
    return w->frame;
}

std::vector<std::optional<Rect>> FakeWindowAccess::frames(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Rect>> result;
    for (const auto& w : windows)
        result.push_back(readFrame(w));
    return result;
}

bool FakeWindowAccess::writeSize(std::uint32_t id, Size size) {
    auto* w = desktop_.find(id);
    if (!w || w->moveFault == MoveFault::refused)
        return false;
    if (w->moveFault == MoveFault::none)
        desktop_.applySize(*w, size);
    return true;
}

bool FakeWindowAccess::writePosition(std::uint32_t id, Point origin) {
    auto* w = desktop_.find(id);
    if (!w || w->moveFault == MoveFault::refused)
        return false;
    if (w->moveFault == MoveFault::none)
        desktop_.applyPosition(*w, origin);
    return true;
}

bool FakeWindowAccess::writeFrame(const AXWindow& window, const Rect& frame) {
    const auto* w = desktop_.touch(window.id());
    if (!w) {
        desktop_.record(Kind::setFrame, window.id(), frame, false);
        return false;
    }
    const Rect before = w->frame;
    writeSize(window.id(), frame.size());
    const bool moved = writePosition(window.id(), frame.origin());
    const bool sized = writeSize(window.id(), frame.size());
    desktop_.record(Kind::setFrame, window.id(), frame, moved && sized);
    desktop_.frameChanged(window.id(), before);
    return moved && sized;
}

std::vector<bool>
FakeWindowAccess::setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    std::vector<bool> result;
    for (const auto& [w, frame] : targets)
        result.push_back(writeFrame(w, frame));
    return result;
}

void FakeWindowAccess::writeOrigin(const AXWindow& window, const Point& origin) {
    const Rect requested{origin.x, origin.y, 0, 0};
    const auto* w = desktop_.touch(window.id());
    if (!w) {
        desktop_.record(Kind::setPosition, window.id(), requested, false);
        return;
    }
    const Rect before = w->frame;
    const bool moved = writePosition(window.id(), origin);
    desktop_.record(Kind::setPosition, window.id(), requested, moved);
    desktop_.frameChanged(window.id(), before);
}

void FakeWindowAccess::setPositions(const std::vector<std::pair<AXWindow, Point>>& targets) {
    for (const auto& [w, origin] : targets)
        writeOrigin(w, origin);
}

std::vector<std::optional<Size>>
FakeWindowAccess::sizeIncrements(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Size>> result;
    for (const auto& window : windows) {
        const auto* w = desktop_.touch(window.id());
        result.push_back(w ? w->options.sizeIncrement : std::nullopt);
    }
    return result;
}

void FakeWindowAccess::raise(const AXWindow& window) {
    const bool exists = desktop_.touch(window.id()) != nullptr;
    desktop_.record(Kind::raise, window.id(), std::nullopt, exists);
    if (exists)
        desktop_.raiseWindow(window.id());
}

FocusResult FakeWindowAccess::focus(const AXWindow& window) {
    const auto* w = desktop_.touch(window.id());
    desktop_.record(Kind::focus, window.id(), std::nullopt, w != nullptr);
    if (!w)
        return FocusResult{-1, -1, -1};
    // Activating a minimised window brings it back, as window managers do.
    if (w->iconified)
        desktop_.deiconifyWindow(window.id(), false);
    desktop_.raiseWindow(window.id());
    desktop_.setFocus(window.id(), true);
    return FocusResult{0, 0, 0};
}

void FakeWindowAccess::focusNothing() {
    desktop_.record(Kind::focusNothing, 0, std::nullopt, true);
    desktop_.clearFocus();
}

void FakeWindowAccess::writeMark(const AXWindow& window, const Rect& savedFrame) {
    auto* w = desktop_.touch(window.id());
    desktop_.record(Kind::setParkMark, window.id(), savedFrame, w != nullptr);
    if (w)
        w->parkMark = savedFrame;
}

void FakeWindowAccess::setParkMarks(const std::vector<std::pair<AXWindow, Rect>>& marks) {
    for (const auto& [w, saved] : marks)
        writeMark(w, saved);
}

void FakeWindowAccess::eraseMark(const AXWindow& window) {
    auto* w = desktop_.touch(window.id());
    desktop_.record(Kind::clearParkMark, window.id(), std::nullopt, w != nullptr);
    if (w)
        w->parkMark.reset();
}

void FakeWindowAccess::clearParkMarks(const std::vector<AXWindow>& windows) {
    for (const auto& w : windows)
        eraseMark(w);
}

std::vector<std::optional<Rect>> FakeWindowAccess::parkMarks(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Rect>> result;
    for (const auto& window : windows) {
        const auto* w = desktop_.touch(window.id());
        result.push_back(w ? w->parkMark : std::nullopt);
    }
    return result;
}

std::vector<std::pair<AXWindow, Rect>> FakeWindowAccess::markedWindows() {
    std::vector<std::pair<AXWindow, Rect>> marked;
    for (const auto& [id, w] : desktop_.windows_) {
        if (w.parkMark)
            marked.emplace_back(handle(id, w.pid), *w.parkMark);
    }
    return marked;
}

bool FakeWindowAccess::minimise(const AXWindow& window) {
    const auto* w = desktop_.touch(window.id());
    desktop_.record(Kind::iconify, window.id(), std::nullopt, w != nullptr);
    if (!w)
        return false;
    if (!w->iconified)
        desktop_.iconifyWindow(window.id(), false);
    return true;
}

std::vector<bool> FakeWindowAccess::iconifyAll(const std::vector<AXWindow>& windows) {
    std::vector<bool> result;
    for (const auto& w : windows)
        result.push_back(minimise(w));
    return result;
}

void FakeWindowAccess::unminimise(const AXWindow& window) {
    const auto* w = desktop_.touch(window.id());
    desktop_.record(Kind::deiconify, window.id(), std::nullopt, w != nullptr);
    if (w && w->iconified)
        desktop_.deiconifyWindow(window.id(), false);
}

void FakeWindowAccess::deiconifyAll(const std::vector<AXWindow>& windows, bool) {
    // Nothing animates here: every window is shown, and settled, at once.
    for (const auto& w : windows)
        unminimise(w);
}

std::vector<bool> FakeWindowAccess::isIconifiedAll(const std::vector<AXWindow>& windows) {
    std::vector<bool> result;
    for (const auto& window : windows) {
        const auto* w = desktop_.touch(window.id());
        result.push_back(w && w->iconified);
    }
    return result;
}

} // namespace morvanta
