// FrameTimer: a callback once per display frame while something animates (the focus border
// while a window is dragged). The application runs it at the display's refresh rate on its run
// loop; tests tick it by hand.
#pragma once

#include <functional>

namespace morvanta {

class FrameTimer {
public:
    virtual ~FrameTimer() = default;

    // Starts calling `tick` every frame, replacing any running timer.
    virtual void start(std::function<void()> tick) = 0;
    // Harmless when not running; safe from inside `tick`.
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
};

} // namespace morvanta
