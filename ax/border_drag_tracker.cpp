#include "ax/border_drag_tracker.h"

#include "ax/border_overlay.h"
#include "ax/frame_timer.h"
#include "ax/mouse_monitor.h"
#include "ax/screen_geometry.h"
#include "ax/screen_source.h"
#include "ax/window_numbers.h"

#include <algorithm>

namespace morvanta {

std::string_view BorderDragTracker::rawValue(Mode mode) {
    switch (mode) {
    case Mode::predictive:
        return "predictive";
    case Mode::liveFollow:
        return "liveFollow";
    case Mode::hideWhileDragging:
        return "hideWhileDragging";
    case Mode::notificationsOnly:
        return "notificationsOnly";
    }
    return "predictive";
}

std::optional<BorderDragTracker::Mode> BorderDragTracker::modeFromRaw(std::string_view raw) {
    for (const Mode mode : allModes)
        if (rawValue(mode) == raw)
            return mode;
    return std::nullopt;
}

BorderDragTracker::BorderDragTracker(BorderOverlay& border, WindowNumbers& numbers,
                                     ScreenSource& screens, MouseMonitor& mouse, FrameTimer& timer)
    : border_(border), numbers_(numbers), screens_(screens), mouse_(mouse), timer_(timer) {}

BorderDragTracker::~BorderDragTracker() {
    stop();
}

void BorderDragTracker::start() {
    if (listener_ != 0)
        return;
    listener_ = mouse_.addListener([this](MouseEvent event) {
        switch (event) {
        case MouseEvent::leftUp:
            mouseUp();
            break;
        case MouseEvent::leftDown:
            mouseDown();
            break;
        case MouseEvent::leftDragged:
            step();
            break;
        }
    });
}

void BorderDragTracker::stop() {
    if (listener_ != 0) {
        mouse_.removeListener(listener_);
        listener_ = 0;
    }
    timer_.stop();
}

bool BorderDragTracker::isTracking() const {
    return timer_.isRunning();
}

void BorderDragTracker::mouseDown() {
    if (mode == Mode::notificationsOnly || !target)
        return;
    const auto number = border_.windowNumber(*target);
    if (!number)
        return;
    dragStartBounds_ = numbers_.bounds(*number);
    mouseStart_ = mouse_.location();
    hiddenForDrag_ = false;
    isMoving_ = false;
    timer_.stop();
    if (screens_.screens().empty())
        return; // nothing to time frames by: the border follows focus reports only
    timer_.start([this] { step(); });
}

void BorderDragTracker::mouseUp() {
    timer_.stop();
    dragStartBounds_.reset();
    hiddenForDrag_ = false;
    isMoving_ = false;
    if (onDragEnded)
        onDragEnded();
}

void BorderDragTracker::step() {
    if (!timer_.isRunning() || !target)
        return;
    const auto number = border_.windowNumber(*target);
    if (!number)
        return;
    const auto current = numbers_.bounds(*number);
    if (!current)
        return;
    switch (mode) {
    case Mode::predictive:
        stepPredictive(*current);
        break;
    case Mode::liveFollow:
        renderRect(*current);
        break;
    case Mode::hideWhileDragging:
        stepHide(*current);
        break;
    case Mode::notificationsOnly:
        break;
    }
}

void BorderDragTracker::stepPredictive(const Rect& current) {
    if (!dragStartBounds_)
        return;
    const Rect& start = *dragStartBounds_;
    if (!isMoving_ && current.size() == start.size() && current.origin() != start.origin())
        isMoving_ = true;
    if (!isMoving_) {
        renderRect(current); // resizing, or not moved yet: the real bounds
        return;
    }
    // A moving window lags the pointer by a frame or more; the pointer says where it is going.
    // Both are in the same top-left space here, so the offset is used as it is.
    const Point mouse = mouse_.location();
    Rect predicted = start;
    predicted.x += mouse.x - mouseStart_.x;
    predicted.y += mouse.y - mouseStart_.y;
    if (const auto screen = ScreenGeometry::screen(screens_.screens(), predicted))
        predicted.y = std::max(predicted.y, ScreenGeometry::axVisibleFrame(*screen).minY());
    renderRect(predicted);
}

void BorderDragTracker::stepHide(const Rect& current) {
    if (hiddenForDrag_)
        return;
    if (dragStartBounds_ && *dragStartBounds_ == current)
        return; // not moved yet: a click keeps the border
    border_.hide();
    hiddenForDrag_ = true;
}

void BorderDragTracker::renderRect(const Rect& rect) {
    if (border_.render(rect))
        ++liveUpdates_;
}

} // namespace morvanta
