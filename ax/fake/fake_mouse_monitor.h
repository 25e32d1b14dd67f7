// FakeMouseMonitor: a mouse a test moves and clicks by hand. Events reach the listeners
// synchronously, and only while someone listens, like a real monitor.
#pragma once

#include "ax/mouse_monitor.h"

namespace morvanta {

class FakeMouseMonitor : public MouseMonitor {
public:
    Point location() override { return location_; }

    void moveTo(Point p) { location_ = p; }
    void press(Point p) {
        location_ = p;
        held_ = true;
        send(MouseEvent::leftDown);
    }
    // A move with the left button held.
    void drag(Point p) {
        location_ = p;
        if (held_)
            send(MouseEvent::leftDragged);
    }
    void release() {
        held_ = false;
        send(MouseEvent::leftUp);
    }
    // Times the monitor started watching.
    int watchStarts() const { return watchStarts_; }

protected:
    void setWatching(bool watching) override { watchStarts_ += watching ? 1 : 0; }

private:
    void send(MouseEvent event) {
        if (isWatching())
            deliver(event);
    }

    Point location_;
    bool held_ = false;
    int watchStarts_ = 0;
};

} // namespace morvanta
