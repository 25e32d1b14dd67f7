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

std::optional<Rect> WindowAccess::frame(const AXWindow& window) {
    return frames({window}).front();
}

bool WindowAccess::setFrame(const AXWindow& window, const Rect& frame) {
    return setFrames({{window, frame}}).front();
}

std::optional<Size> WindowAccess::sizeIncrement(const AXWindow& window) {
    return sizeIncrements({window}).front();
}

bool WindowAccess::setPosition(const AXWindow& window, const Point& origin) {
    // The batch reports nothing: a window still there afterwards was there to move.
    setPositions({{window, origin}});
    return frame(window).has_value();
}

bool WindowAccess::setParkMark(const AXWindow& window, const Rect& savedFrame) {
    setParkMarks({{window, savedFrame}});
    return parkMark(window).has_value();
}

void WindowAccess::clearParkMark(const AXWindow& window) {
    clearParkMarks({window});
}

std::optional<Rect> WindowAccess::parkMark(const AXWindow& window) {
    return parkMarks({window}).front();
}

bool WindowAccess::iconify(const AXWindow& window) {
    return iconifyAll({window}).front();
}

bool WindowAccess::deiconify(const AXWindow& window) {
    deiconifyAll({window}, true);
    return frame(window) && !isIconified(window);
}

bool WindowAccess::isIconified(const AXWindow& window) {
    return isIconifiedAll({window}).front();
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
