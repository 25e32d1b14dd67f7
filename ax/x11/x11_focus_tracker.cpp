#include "ax/x11/x11_focus_tracker.h"

namespace morvanta {

void X11FocusTracker::start() {
    if (isStarted())
        return;
    auto& x = access_->connection();
    handler_ = x.addHandler([this](const xcb_generic_event_t& event) { handle(event); });
    batchEndHandler_ = x.addBatchEndHandler([this] { finishBatch(); });
    if (!x.windowManager()) {
        // Without a window manager focus news arrives at the top-level windows themselves.
        for (const auto w : access_->topLevelCandidates())
            if (!x.ownsWindow(w))
                x.selectClientEvents(w);
        x.setFocusNewsHeard(true);
    }
    retarget();
}

void X11FocusTracker::stop() {
    if (!isStarted())
        return;
    access_->connection().setFocusNewsHeard(false);
    access_->connection().removeHandler(handler_);
    access_->connection().removeBatchEndHandler(batchEndHandler_);
    handler_ = 0;
    batchEndHandler_ = 0;
    retargetDue_ = reportDue_ = false;
    target_.reset();
    targetFrame_ = XCB_NONE;
}

void X11FocusTracker::finishBatch() {
    const bool retargetNow = retargetDue_;
    const bool reportNow = reportDue_;
    retargetDue_ = reportDue_ = false;
    if (retargetNow)
        retarget(); // reports too
    else if (reportNow && target_)
        report(target_);
}

void X11FocusTracker::retarget() {
    auto& x = access_->connection();
    const auto focused = list_.focused();
    if (!focused || focused->pid() == ownPid_) {
        target_.reset();
        targetFrame_ = XCB_NONE;
        report(std::nullopt);
        return;
    }
    const bool changed = target_ != focused;
    target_ = focused;
    // A window manager may have framed the window anew (a restart); without one the focused
    // window is itself a top-level window.
    targetFrame_ = x.windowManager()
                       ? X11WindowList::topLevelOf(x, focused->id()).value_or(XCB_NONE)
                       : focused->id();
    if (changed) {
        x.selectClientEvents(focused->id());
        x.flush();
    }
    report(target_);
}

void X11FocusTracker::handle(const xcb_generic_event_t& event) {
    auto& x = access_->connection();
    const std::uint8_t type = event.response_type & 0x7f;
    switch (type) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (p.window == x.root() && p.atom == x.atom(X11Atom::_NET_ACTIVE_WINDOW))
            retargetDue_ = true;
        break;
    }
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT: {
        // A keyboard grab (every shortcut press) and its release move no focus: the border
        // stays where it is.
        const auto& f = reinterpret_cast<const xcb_focus_in_event_t&>(event);
        const bool grab = f.mode == XCB_NOTIFY_MODE_GRAB || f.mode == XCB_NOTIFY_MODE_UNGRAB;
        if (!x.windowManager() && !grab)
            retargetDue_ = true;
        break;
    }
    case XCB_MAP_NOTIFY: {
        const auto& m = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (!x.windowManager() && m.event == x.root() && !m.override_redirect &&
            !x.ownsWindow(m.window)) {
            x.selectClientEvents(m.window);
            x.flush();
        }
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (!target_)
            break;
        // Each change counted once: the client's own news, and its frame's (when it has one)
        // through the root.
        const bool client = c.window == target_->id() && c.event == c.window;
        const bool frame = targetFrame_ != target_->id() && c.window == targetFrame_;
        if (client || frame)
            reportDue_ = true;
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto& u = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (target_ && u.window == target_->id() && u.event == u.window)
            retargetDue_ = true;
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& d = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (target_ && d.window == target_->id() && d.event == d.window) {
            target_.reset(); // a later window may reuse its id
            targetFrame_ = XCB_NONE;
            retargetDue_ = true;
        }
        break;
    }
    default:
        break;
    }
}

} // namespace morvanta
