// WindowObserver: reduces the window system's news to two events for the controller: the set
// of windows may have changed (a window opened, closed, was minimised or restored, an
// application came or went), or the focus may have changed. Morvanta's own moves, resizes and
// parking never produce `windowsChanged`.
// Events arrive on the thread that calls WindowSystem::dispatchPending (the fake delivers them
// at once, inside the call that caused them).
#pragma once

#include "ax/ax_window.h"

#include <functional>

namespace morvanta {

class WindowObserver {
public:
    enum class Event { windowsChanged, focusChanged };

    virtual ~WindowObserver() = default;

    // Starts watching every application; harmless when already started.
    virtual void start() = 0;
    // Stops all watching; harmless when stopped.
    virtual void stop() = 0;
    virtual bool isStarted() const = 0;
    // Adds the per-window watch (closing, minimising) to one window once; does nothing while
    // stopped or for a window that is already watched.
    virtual void watch(const AXWindow& window) = 0;

    std::function<void(Event)> onEvent;
};

} // namespace morvanta
