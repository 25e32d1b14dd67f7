#include "ax/window_access.h"

namespace morvanta {

namespace {
// Frames read when the query was made.
class ReadFrames : public FrameQuery {
public:
    explicit ReadFrames(std::vector<std::optional<Rect>> frames) : frames_(std::move(frames)) {}
    std::vector<std::optional<Rect>> collect() override { return std::move(frames_); }

private:
    std::vector<std::optional<Rect>> frames_;
};
} // namespace

std::string WindowAccess::description(const AXWindow& window) {
    return appName(window) + " — “" + title(window) + "”";
}

std::vector<std::optional<Rect>> WindowAccess::frames(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Rect>> result;
    result.reserve(windows.size());
    for (const auto& w : windows)
        result.push_back(frame(w));
    return result;
}

std::vector<bool> WindowAccess::setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    std::vector<bool> result;
    result.reserve(targets.size());
    for (const auto& [w, r] : targets)
        result.push_back(setFrame(w, r));
    return result;
}

std::vector<std::optional<Size>>
WindowAccess::sizeIncrements(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Size>> result;
    result.reserve(windows.size());
    for (const auto& w : windows)
        result.push_back(sizeIncrement(w));
    return result;
}

void WindowAccess::deiconifyAll(const std::vector<AXWindow>& windows, bool) {
    for (const auto& w : windows)
        deiconify(w);
}

void WindowAccess::setPositions(const std::vector<std::pair<AXWindow, Point>>& targets) {
    for (const auto& [w, origin] : targets)
        setPosition(w, origin);
}

void WindowAccess::setParkMarks(const std::vector<std::pair<AXWindow, Rect>>& marks) {
    for (const auto& [w, saved] : marks)
        setParkMark(w, saved);
}

void WindowAccess::clearParkMarks(const std::vector<AXWindow>& windows) {
    for (const auto& w : windows)
        clearParkMark(w);
}

std::vector<std::optional<Rect>> WindowAccess::parkMarks(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Rect>> result;
    result.reserve(windows.size());
    for (const auto& w : windows)
        result.push_back(parkMark(w));
    return result;
}

std::vector<bool> WindowAccess::iconifyAll(const std::vector<AXWindow>& windows) {
    std::vector<bool> result;
    result.reserve(windows.size());
    for (const auto& w : windows)
        result.push_back(iconify(w));
    return result;
}

std::vector<bool> WindowAccess::isIconifiedAll(const std::vector<AXWindow>& windows) {
    std::vector<bool> result;
    result.reserve(windows.size());
    for (const auto& w : windows)
        result.push_back(isIconified(w));
    return result;
}

void WindowAccess::sendFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    setFrames(targets);
}

void WindowAccess::sendPositions(const std::vector<std::pair<AXWindow, Point>>& targets) {
    setPositions(targets);
}

void WindowAccess::sendFocus(const AXWindow& window) {
    focus(window);
}

std::unique_ptr<FrameQuery> WindowAccess::queryFrames(const std::vector<AXWindow>& windows) {
    return std::make_unique<ReadFrames>(frames(windows));
}

} // namespace morvanta
