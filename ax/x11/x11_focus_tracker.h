// X11FocusTracker: follows the active window (_NET_ACTIVE_WINDOW, or the input focus walked up to
// its top-level without a window manager) and reports it after every batch of events that
// changed the focus or moved the window or its frame: a workspace switch brings a dozen focus
// events, and the focus is read and reported once for all of them.
#pragma once

#include "ax/focus_tracker.h"
#include "ax/x11/x11_window_list.h"

#include <memory>
#include <sys/types.h>

namespace morvanta {

class X11FocusTracker : public FocusTracker {
public:
    X11FocusTracker(std::shared_ptr<X11WindowAccess> access, pid_t ownPid)
        : access_(access), list_(std::move(access), ownPid), ownPid_(ownPid) {}
    ~X11FocusTracker() override { stop(); }

    void start() override;
    void stop() override;
    bool isStarted() const override { return handler_ != 0; }

private:
    void handle(const xcb_generic_event_t& event);
    void finishBatch();
    void retarget();
    void report(const std::optional<AXWindow>& window) {
        if (onChange)
            onChange(window);
    }

    std::shared_ptr<X11WindowAccess> access_;
    X11WindowList list_;
    pid_t ownPid_;
    int handler_ = 0;
    int batchEndHandler_ = 0;
    bool retargetDue_ = false;
    bool reportDue_ = false;
    std::optional<AXWindow> target_;
    xcb_window_t targetFrame_ = XCB_NONE;
};

} // namespace morvanta
