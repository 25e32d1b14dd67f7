// BorderDragTracker: keeps the focus border with its window while the user drags that window,
// in one of four modes. A left-mouse-down while a target is set starts tracking: the target's
// bounds and the mouse position are noted and a per-frame timer runs; every frame (and every
// drag event) `step` moves or hides the border; every left-mouse-up ends tracking and calls
// `onDragEnded`, whose owner shows the border again around the window's final frame.
//
// It works over small interfaces (window numbers, screens, a mouse monitor, a frame timer), so
// the same logic runs on X11 and on the fake desktop.
#pragma once

#include "ax/ax_window.h"
#include "core/geometry.h"

#include <array>
#include <functional>
#include <optional>
#include <string_view>

namespace morvanta {

class BorderOverlay;
class FrameTimer;
class MouseMonitor;
class ScreenSource;
class WindowNumbers;

class BorderDragTracker {
public:
    enum class Mode { predictive, liveFollow, hideWhileDragging, notificationsOnly };
    static constexpr std::array<Mode, 4> allModes = {
        Mode::predictive, Mode::liveFollow, Mode::hideWhileDragging, Mode::notificationsOnly};
    static std::string_view rawValue(Mode mode);
    // None for an unknown raw value.
    static std::optional<Mode> modeFromRaw(std::string_view raw);

    BorderDragTracker(BorderOverlay& border, WindowNumbers& numbers, ScreenSource& screens,
                      MouseMonitor& mouse, FrameTimer& timer);
    ~BorderDragTracker();
    BorderDragTracker(const BorderDragTracker&) = delete;
    BorderDragTracker& operator=(const BorderDragTracker&) = delete;

    // What happens during a drag: see the mode names.
    Mode mode = Mode::predictive;
    // The window the border belongs to; set by the owner.
    std::optional<AXWindow> target;
    // Called on every left-mouse-up while started, whether or not a drag was tracked.
    std::function<void()> onDragEnded;

    // Times the border was moved during drags; never reset.
    int liveUpdates() const { return liveUpdates_; }

    // Starts watching the mouse (once).
    void start();
    // Stops watching and ends any tracking; other state stays.
    void stop();
    bool isStarted() const { return listener_ != 0; }
    // Whether a drag is being tracked (the frame timer runs).
    bool isTracking() const;

    // One frame of a tracked drag; nothing when no drag is tracked.
    void step();

private:
    void mouseDown();
    void mouseUp();
    void stepPredictive(const Rect& current);
    void stepHide(const Rect& current);
    void renderRect(const Rect& rect);

    BorderOverlay& border_;
    WindowNumbers& numbers_;
    ScreenSource& screens_;
    MouseMonitor& mouse_;
    FrameTimer& timer_;

    int listener_ = 0;
    int liveUpdates_ = 0;
    std::optional<Rect> dragStartBounds_;
    bool hiddenForDrag_ = false;
    Point mouseStart_;
    bool isMoving_ = false;
};

} // namespace morvanta
