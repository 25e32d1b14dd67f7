// MouseMonitor: the left mouse button anywhere on the desktop, seen without taking it from the
// application it goes to, and the pointer's location. One monitor serves several listeners (the
// focus border's drag tracker, the controller's drag examination); it watches the mouse only
// while it has at least one. Events arrive on the thread that dispatches window-system events.
#pragma once

#include "core/geometry.h"

#include <functional>
#include <map>

namespace morvanta {

enum class MouseEvent { leftDown, leftUp, leftDragged };

class MouseMonitor {
public:
    using Listener = std::function<void(MouseEvent)>;

    virtual ~MouseMonitor() = default;

    // Answers an id for removeListener (never 0).
    int addListener(Listener listener);
    // Unknown ids are ignored. Safe from inside a listener.
    void removeListener(int id);
    bool isWatching() const { return !listeners_.empty(); }

    // The pointer's location in the global top-left space.
    virtual Point location() = 0;

protected:
    // Called when the first listener arrives (true) and the last one leaves (false).
    virtual void setWatching(bool watching) = 0;
    // Hands an event to every listener present when it arrived and still present.
    void deliver(MouseEvent event);

private:
    std::map<int, Listener> listeners_;
    int nextId_ = 1;
};

} // namespace morvanta
