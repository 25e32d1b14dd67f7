#include "ax/x11/x11_window_facts.h"

#include <algorithm>
#include <string>

namespace morvanta {

namespace {

constexpr std::uint32_t iconicState = 3;

X11WindowFacts::Kind classify(X11Connection& x, const xcb_get_property_reply_t* type,
                              const xcb_get_property_reply_t* transient) {
    if (!type)
        return X11WindowFacts::Kind::unreadable;
    if (type->type != XCB_ATOM_NONE) {
        if (type->format != 32 || type->type != XCB_ATOM_ATOM)
            return X11WindowFacts::Kind::unreadable;
        // The first type this layer knows decides, as window managers read the list.
        for (const std::uint32_t atom : propertyValues32(type)) {
            if (atom == x.atom(X11Atom::_NET_WM_WINDOW_TYPE_NORMAL))
                return X11WindowFacts::Kind::standard;
            for (auto a = static_cast<int>(X11Atom::_NET_WM_WINDOW_TYPE_DIALOG);
                 a <= static_cast<int>(X11Atom::_NET_WM_WINDOW_TYPE_DND); ++a)
                if (atom == x.atom(static_cast<X11Atom>(a)))
                    return X11WindowFacts::Kind::other;
        }
    }
    // No (known) type: an ordinary window unless it is transient for another one.
    if (!transient)
        return X11WindowFacts::Kind::unreadable;
    const auto owner = propertyValues32(transient);
    return (!owner.empty() && owner[0] != 0) ? X11WindowFacts::Kind::other
                                             : X11WindowFacts::Kind::standard;
}

} // namespace

std::vector<std::uint32_t> propertyValues32(const xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 32)
        return {};
    const auto* data = static_cast<const std::uint32_t*>(
        xcb_get_property_value(const_cast<xcb_get_property_reply_t*>(reply)));
    const int length = xcb_get_property_value_length(reply) / 4;
    return {data, data + length};
}

std::optional<std::string> propertyText(const xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 8 || reply->type == XCB_ATOM_NONE)
        return std::nullopt;
    const auto* data = static_cast<const char*>(
        xcb_get_property_value(const_cast<xcb_get_property_reply_t*>(reply)));
    return std::string(data, static_cast<std::size_t>(xcb_get_property_value_length(reply)));
}

std::optional<Rect> parseParkMark(const xcb_get_property_reply_t* reply) {
    const auto values = propertyValues32(reply);
    if (values.size() < 4)
        return std::nullopt;
    const auto v = [&](std::size_t i) {
        return static_cast<double>(static_cast<std::int32_t>(values[i]));
    };
    if (v(2) <= 0 || v(3) <= 0)
        return std::nullopt;
    return Rect{v(0), v(1), v(2), v(3)};
}

X11WindowFactsRequest::X11WindowFactsRequest(X11Connection& connection, xcb_window_t window)
    : connection_(connection) {
    auto* c = connection_.raw();
    attributes_ = xcb_get_window_attributes(c, window);
    type_ = connection_.getProperty(window, X11Atom::_NET_WM_WINDOW_TYPE, XCB_ATOM_ANY, 32);
    transient_ = connection_.getProperty(window, X11Atom::WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 1);
    wmState_ =
        connection_.getProperty(window, X11Atom::WM_STATE, connection_.atom(X11Atom::WM_STATE), 2);
    netState_ = connection_.getProperty(window, X11Atom::_NET_WM_STATE, XCB_ATOM_ATOM, 64);
    pid_ = connection_.getProperty(window, X11Atom::_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
    mark_ = connection_.getProperty(window, X11Atom::_MORVANTA_PARKED, XCB_ATOM_CARDINAL, 4);
    desktop_ = connection_.getProperty(window, X11Atom::_NET_WM_DESKTOP, XCB_ATOM_CARDINAL, 1);
}

X11WindowFacts X11WindowFactsRequest::collect(X11Connection::Deadline deadline) {
    auto attributes =
        connection_.reply<xcb_get_window_attributes_reply_t>(attributes_.sequence, deadline);
    auto type = connection_.reply<xcb_get_property_reply_t>(type_.sequence, deadline);
    auto transient = connection_.reply<xcb_get_property_reply_t>(transient_.sequence, deadline);
    auto wmState = connection_.reply<xcb_get_property_reply_t>(wmState_.sequence, deadline);
    auto netState = connection_.reply<xcb_get_property_reply_t>(netState_.sequence, deadline);
    auto pid = connection_.reply<xcb_get_property_reply_t>(pid_.sequence, deadline);
    auto mark = connection_.reply<xcb_get_property_reply_t>(mark_.sequence, deadline);
    auto desktop = connection_.reply<xcb_get_property_reply_t>(desktop_.sequence, deadline);

    X11WindowFacts facts;
    if (!attributes || !wmState || !netState)
        return facts;
    facts.exists = true;
    facts.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    facts.overrideRedirect = attributes->override_redirect != 0;
    if (const auto p = propertyValues32(pid.get()); !p.empty())
        facts.pid = static_cast<std::int32_t>(p[0]);
    facts.kind = classify(connection_, type.get(), transient.get());
    const auto state = propertyValues32(wmState.get());
    const auto net = propertyValues32(netState.get());
    const auto has = [&](X11Atom a) {
        return std::find(net.begin(), net.end(), connection_.atom(a)) != net.end();
    };
    facts.iconic =
        (!state.empty() && state[0] == iconicState) || has(X11Atom::_NET_WM_STATE_HIDDEN);
    facts.fullScreen = has(X11Atom::_NET_WM_STATE_FULLSCREEN);
    // A window that asks to be left out of the taskbar or the pager is no ordinary application
    // window (a drop-down terminal, a desktop widget, a helper of the window manager's).
    if (facts.kind == X11WindowFacts::Kind::standard &&
        (has(X11Atom::_NET_WM_STATE_SKIP_TASKBAR) || has(X11Atom::_NET_WM_STATE_SKIP_PAGER)))
        facts.kind = X11WindowFacts::Kind::other;
    facts.mark = parseParkMark(mark.get());
    if (const auto d = propertyValues32(desktop.get()); !d.empty())
        facts.desktop = d[0];
    return facts;
}

} // namespace morvanta
