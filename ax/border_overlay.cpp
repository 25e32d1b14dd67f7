#include "ax/border_overlay.h"

#include "ax/window_numbers.h"

namespace morvanta {

void BorderOverlay::setWidth(double width) {
    width_ = width;
    updatePath();
}

void BorderOverlay::setCornerRadius(double radius) {
    cornerRadius_ = radius;
    updatePath();
}

Rect BorderOverlay::panelFrame(const Rect& windowRect) const {
    return {windowRect.x - width_, windowRect.y - width_, windowRect.width + 2 * width_,
            windowRect.height + 2 * width_};
}

bool BorderOverlay::moveTo(const Rect& frame) {
    if (frame == frame_)
        return false;
    const bool resized = frame.size() != frame_.size();
    frame_ = frame;
    placePanel(frame);
    if (resized)
        updatePath();
    return true;
}

bool BorderOverlay::show(const AXWindow& window) {
    const auto windowFrame = window.frame();
    if (!windowFrame) {
        orderOut();
        return false;
    }
    moveTo(panelFrame(*windowFrame));
    const auto number = orderAboveTarget_ ? windowNumber(window, windowFrame) : std::nullopt;
    if (number)
        orderAbove(*number);
    else
        orderFront();
    return true;
}

void BorderOverlay::hide() {
    orderOut();
}

std::optional<std::uint32_t> BorderOverlay::windowNumber(const AXWindow& window,
                                                         std::optional<Rect> knownFrame) {
    if (cachedWindow_ == window && cachedNumber_)
        return cachedNumber_;
    const auto frame = knownFrame ? knownFrame : window.frame();
    if (!frame)
        return std::nullopt;
    const auto number = numbers_.number(window, *frame);
    if (!number)
        return std::nullopt;
    cachedWindow_ = window;
    cachedNumber_ = number;
    return number;
}

void BorderOverlay::forgetNumber(std::uint32_t number) {
    if (cachedNumber_ == number) {
        cachedWindow_.reset();
        cachedNumber_.reset();
    }
}

void BorderOverlay::updatePath() {
    if (frame_.width <= 0 || frame_.height <= 0)
        return;
    drawRing(frame_.size());
}

bool BorderOverlay::render(const Rect& windowRect) {
    return moveTo(panelFrame(windowRect));
}

} // namespace morvanta
