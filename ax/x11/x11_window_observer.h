// X11WindowObserver: window news from X events. With a window manager: the root's client list
// (windows opened and closed), WM_STATE and _NET_WM_STATE on clients (minimised, restored, full
// screen) and _NET_ACTIVE_WINDOW (focus). Without one: top-level windows mapped, unmapped and
// destroyed, and focus arriving at them. Window moves are never news, so Morvanta's own frame
// changes cause no `windowsChanged`; a state change is news only when it changes what
// enumeration sees, so parking (which marks the windows it minimises) is none either.
#pragma once

#include "ax/window_observer.h"
#include "ax/x11/x11_window_access.h"

#include <map>
#include <memory>
#include <set>

namespace morvanta {

class X11WindowObserver : public WindowObserver {
public:
    explicit X11WindowObserver(std::shared_ptr<X11WindowAccess> access)
        : access_(std::move(access)) {}
    ~X11WindowObserver() override { stop(); }

    void start() override;
    void stop() override;
    bool isStarted() const override { return handler_ != 0; }
    void watch(const AXWindow& window) override;

private:
    void handle(const xcb_generic_event_t& event);
    void selectTopLevels();
    void emit(Event event) {
        if (onEvent)
            onEvent(event);
    }

    std::shared_ptr<X11WindowAccess> access_;
    int handler_ = 0;
    // Whether a window reads as minimised or full screen, as enumeration sees it; a state
    // change is news only when this changes (parking minimises windows that stay "not
    // minimised" through their mark).
    bool hiddenNow(xcb_window_t window);

    std::set<xcb_window_t> watched_;
    std::map<xcb_window_t, bool> hidden_;
};

} // namespace morvanta
