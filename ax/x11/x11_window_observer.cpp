#include "ax/x11/x11_window_observer.h"

#include "ax/x11/x11_window_facts.h"

namespace morvanta {

void X11WindowObserver::start() {
    if (isStarted())
        return;
    handler_ = access_->connection().addHandler(
        [this](const xcb_generic_event_t& event) { handle(event); });
    selectTopLevels();
}

void X11WindowObserver::stop() {
    if (!isStarted())
        return;
    access_->connection().removeHandler(handler_);
    handler_ = 0;
    watched_.clear();
    hidden_.clear();
}

void X11WindowObserver::watch(const AXWindow& window) {
    if (!isStarted() || !watched_.insert(window.id()).second)
        return;
    access_->connection().selectClientEvents(window.id());
    access_->connection().flush();
}

void X11WindowObserver::selectTopLevels() {
    // Every client, not only watched ones: a window restored from minimised was not in the last
    // enumeration, and its restoring is still news.
    auto& x = access_->connection();
    std::vector<xcb_window_t> windows;
    for (const auto w : access_->topLevelCandidates())
        if (!x.ownsWindow(w)) {
            x.selectClientEvents(w);
            windows.push_back(w);
        }
    // Remember what each window looks like now, so later state changes can be judged.
    const auto deadline = x.deadline();
    std::vector<X11WindowFactsRequest> requests;
    requests.reserve(windows.size());
    for (const auto w : windows)
        if (!hidden_.contains(w))
            requests.emplace_back(x, w);
    std::size_t next = 0;
    for (const auto w : windows) {
        if (hidden_.contains(w))
            continue;
        const auto facts = requests[next++].collect(deadline);
        if (facts.exists)
            hidden_[w] = (facts.iconic && !facts.mark) || facts.fullScreen;
    }
    x.flush();
}

bool X11WindowObserver::hiddenNow(xcb_window_t window) {
    X11WindowFactsRequest request(access_->connection(), window);
    const auto facts = request.collect(access_->connection().deadline());
    return facts.exists && ((facts.iconic && !facts.mark) || facts.fullScreen);
}

void X11WindowObserver::handle(const xcb_generic_event_t& event) {
    auto& x = access_->connection();
    const std::uint8_t type = event.response_type & 0x7f;
    const bool managed = x.windowManager().has_value();
    switch (type) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (p.window == x.root()) {
            if (p.atom == x.atom(X11Atom::_NET_CLIENT_LIST)) {
                selectTopLevels();
                emit(Event::windowsChanged);
            } else if (p.atom == x.atom(X11Atom::_NET_ACTIVE_WINDOW)) {
                emit(Event::focusChanged);
            }
        } else if (p.atom == x.atom(X11Atom::WM_STATE) ||
                   p.atom == x.atom(X11Atom::_NET_WM_STATE)) {
            const bool now = hiddenNow(p.window);
            const auto before = hidden_.find(p.window);
            const bool changed = before == hidden_.end() || before->second != now;
            hidden_[p.window] = now;
            if (changed)
                emit(Event::windowsChanged);
        }
        break;
    }
    case XCB_MAP_NOTIFY: {
        const auto& m = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (!managed && m.event == x.root() && !m.override_redirect && !x.ownsWindow(m.window)) {
            x.selectClientEvents(m.window);
            x.flush();
            emit(Event::windowsChanged);
        }
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto& u = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (!managed && u.event == x.root() && !x.ownsWindow(u.window))
            emit(Event::windowsChanged);
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& destroyed = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        const bool wasWatched = watched_.erase(destroyed.window) > 0;
        hidden_.erase(destroyed.window);
        if (destroyed.event == destroyed.window && !wasWatched)
            break; // the same news also comes through the root
        if (wasWatched ||
            (!managed && destroyed.event == x.root() && !x.ownsWindow(destroyed.window)))
            emit(Event::windowsChanged);
        break;
    }
    case XCB_FOCUS_IN: {
        // A window manager announces focus through _NET_ACTIVE_WINDOW instead. A shortcut's
        // keyboard grab and its release move no focus, and Morvanta's own focus holder taking
        // it is the focus leaving an application's window, not reaching one. The window
        // Morvanta itself just focused announcing it is no news either.
        const auto& f = reinterpret_cast<const xcb_focus_in_event_t&>(event);
        const bool grab = f.mode == XCB_NOTIFY_MODE_GRAB || f.mode == XCB_NOTIFY_MODE_UNGRAB;
        if (!managed && !grab && !x.ownsWindow(f.event) && x.handingOverFocusChange())
            emit(Event::focusChanged);
        break;
    }
    default:
        break;
    }
}

} // namespace morvanta
