// X11MouseMonitor: the left mouse button on the whole X display through XInput 2.2 raw events
// selected on the root window for the master devices. Raw events reach every client that asks,
// with no grab and whatever window the pointer is over, so the application under the pointer
// gets its clicks as usual. Raw motion is selected only while the left button is held, so an
// idle pointer costs nothing. Raw events carry no position: `location` asks the server
// (QueryPointer, one round trip). Events arrive through the shared connection's dispatch.
#pragma once

#include "ax/mouse_monitor.h"

#include <memory>
#include <xcb/xcb.h>

namespace morvanta {

class X11Connection;

class X11MouseMonitor : public MouseMonitor {
public:
    // None when the server lacks XInput 2.2.
    static std::unique_ptr<X11MouseMonitor> create(std::shared_ptr<X11Connection> connection);
    ~X11MouseMonitor() override;

    Point location() override;

protected:
    void setWatching(bool watching) override;

private:
    X11MouseMonitor(std::shared_ptr<X11Connection> connection, std::uint8_t opcode);
    void select(bool watching, bool motion);
    void handle(const xcb_generic_event_t& event);

    std::shared_ptr<X11Connection> connection_;
    std::uint8_t opcode_;
    int handler_ = 0;
    bool leftHeld_ = false;
    Point last_;
};

} // namespace morvanta
