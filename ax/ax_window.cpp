#include "ax/ax_window.h"

#include "ax/window_access.h"

namespace morvanta {

std::string AXWindow::title() const {
    const auto a = access();
    return a ? a->title(*this) : std::string();
}

std::string AXWindow::appName() const {
    const auto a = access();
    return a ? a->appName(*this) : "pid " + std::to_string(pid_);
}

std::optional<std::string> AXWindow::bundleIdentifier() const {
    const auto a = access();
    return a ? a->bundleIdentifier(*this) : std::nullopt;
}

std::string AXWindow::description() const {
    const auto a = access();
    return a ? a->description(*this) : appName() + " — “”";
}

bool AXWindow::isStandard() const {
    const auto a = access();
    return a && a->isStandard(*this);
}

std::optional<bool> AXWindow::isMinimized() const {
    const auto a = access();
    return a ? a->isMinimized(*this) : std::nullopt;
}

std::optional<bool> AXWindow::isFullScreen() const {
    const auto a = access();
    return a ? a->isFullScreen(*this) : std::nullopt;
}

std::optional<Rect> AXWindow::frame() const {
    const auto a = access();
    return a ? a->frame(*this) : std::nullopt;
}

bool AXWindow::setFrame(const Rect& frame) const {
    const auto a = access();
    return a && a->setFrame(*this, frame);
}

bool AXWindow::setPosition(const Point& origin) const {
    const auto a = access();
    return a && a->setPosition(*this, origin);
}

std::optional<Size> AXWindow::sizeIncrement() const {
    const auto a = access();
    return a ? a->sizeIncrement(*this) : std::nullopt;
}

void AXWindow::raise() const {
    if (const auto a = access())
        a->raise(*this);
}

FocusResult AXWindow::focus() const {
    const auto a = access();
    // Without a window system every step fails the way a vanished window does.
    return a ? a->focus(*this) : FocusResult{-1, -1, -1};
}

} // namespace morvanta
