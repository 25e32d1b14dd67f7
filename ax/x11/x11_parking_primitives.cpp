#include "ax/x11/x11_parking_primitives.h"

#include "ax/x11/x11_facts_memo.h"
#include "ax/x11/x11_frame_request.h"
#include "ax/x11/x11_window_facts.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <unordered_set>

namespace morvanta {

namespace {

constexpr std::uint32_t iconicState = 3;
constexpr auto settleTimeout = std::chrono::milliseconds(700);
// Longer than one step of a window manager's animation, so an animating frame always moves
// between two samples.
constexpr auto settleSample = std::chrono::milliseconds(30);

std::uint32_t rounded(double v) {
    return static_cast<std::uint32_t>(std::lround(v));
}

} // namespace

void requestActivation(X11Connection& connection, xcb_window_t window) {
    connection.noteFocusRequest();
    connection.sendClientMessage(window, X11Atom::_NET_ACTIVE_WINDOW,
                                 {2, XCB_CURRENT_TIME, 0, 0, 0});
    connection.sendClientMessage(window, X11Atom::_NET_RESTACK_WINDOW,
                                 {2, 0, XCB_STACK_MODE_ABOVE, 0, 0});
}

void X11ParkingPrimitives::setMarks(const std::vector<std::pair<xcb_window_t, Rect>>& marks) {
    for (const auto& [w, saved] : marks) {
        const std::uint32_t values[] = {rounded(saved.x), rounded(saved.y), rounded(saved.width),
                                        rounded(saved.height)};
        xcb_change_property(connection_.raw(), XCB_PROP_MODE_REPLACE, w,
                            connection_.atom(X11Atom::_MORVANTA_PARKED), XCB_ATOM_CARDINAL, 32, 4,
                            values);
        // The mark as a later reading would take it.
        const auto v = [&](std::size_t i) {
            return static_cast<double>(static_cast<std::int32_t>(values[i]));
        };
        const Rect written{v(0), v(1), v(2), v(3)};
        connection_.factsMemo().wroteMark(w, written.width > 0 && written.height > 0
                                                 ? std::optional<Rect>(written)
                                                 : std::nullopt);
    }
    connection_.flush();
}

void X11ParkingPrimitives::clearMarks(const std::vector<xcb_window_t>& windows) {
    for (const auto w : windows) {
        xcb_delete_property(connection_.raw(), w, connection_.atom(X11Atom::_MORVANTA_PARKED));
        connection_.factsMemo().wroteMark(w, std::nullopt);
    }
    connection_.flush();
}

std::vector<std::optional<Rect>>
X11ParkingPrimitives::marks(const std::vector<xcb_window_t>& windows) {
    const auto deadline = connection_.deadline();
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const auto w : windows)
        cookies.push_back(
            connection_.getProperty(w, X11Atom::_MORVANTA_PARKED, XCB_ATOM_CARDINAL, 4));
    std::vector<std::optional<Rect>> result;
    result.reserve(windows.size());
    for (const auto& cookie : cookies) {
        auto reply = connection_.reply<xcb_get_property_reply_t>(cookie.sequence, deadline);
        result.push_back(parseParkMark(reply.get()));
    }
    return result;
}

std::vector<X11ParkingPrimitives::Marked>
X11ParkingPrimitives::marked(const std::vector<xcb_window_t>& windows) {
    const auto deadline = connection_.deadline();
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> cookies;
    for (const auto w : windows)
        cookies.emplace_back(
            connection_.getProperty(w, X11Atom::_MORVANTA_PARKED, XCB_ATOM_CARDINAL, 4),
            connection_.getProperty(w, X11Atom::_NET_WM_PID, XCB_ATOM_CARDINAL, 1));
    std::vector<Marked> result;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        auto mark =
            connection_.reply<xcb_get_property_reply_t>(cookies[i].first.sequence, deadline);
        auto pid =
            connection_.reply<xcb_get_property_reply_t>(cookies[i].second.sequence, deadline);
        const auto saved = parseParkMark(mark.get());
        if (!saved)
            continue;
        const auto p = propertyValues32(pid.get());
        result.push_back({windows[i], p.empty() ? 0 : static_cast<std::int32_t>(p[0]), *saved});
    }
    return result;
}

std::vector<bool> X11ParkingPrimitives::iconify(const std::vector<xcb_window_t>& windows) {
    if (!connection_.windowManager())
        return std::vector<bool>(windows.size(), false);
    for (const auto w : windows)
        connection_.sendClientMessage(w, X11Atom::WM_CHANGE_STATE, {iconicState, 0, 0, 0, 0});
    // The window manager records the new state as it handles the request; an animation of the
    // minimising may still run afterwards, but nothing waits for it (the mark keeps the window
    // listed, so its late unmapping is no news to anyone).
    connection_.syncWithWindowManager();
    auto result = isIconified(windows);
    forgetOwnStateChanges(windows);
    return result;
}

void X11ParkingPrimitives::deiconify(const std::vector<xcb_window_t>& windows, bool settle) {
    // Mapping an iconic window asks the window manager to show it again.
    for (const auto w : windows)
        xcb_map_window(connection_.raw(), w);
    if (!connection_.windowManager()) {
        connection_.flush();
        return;
    }
    connection_.syncWithWindowManager();
    // Some window managers keep a minimised client mapped, so the map request never reaches
    // them (Mutter); asking them to activate the window is what restores it there.
    const auto iconic = isIconified(windows);
    if (std::ranges::find(iconic, true) != iconic.end()) {
        for (std::size_t i = 0; i < windows.size(); ++i)
            if (iconic[i])
                requestActivation(connection_, windows[i]);
        connection_.syncWithWindowManager();
    }
    if (settle) {
        std::vector<xcb_window_t> present;
        const auto found = sample(windows).frames;
        for (std::size_t i = 0; i < windows.size(); ++i)
            if (found[i])
                present.push_back(windows[i]);
        waitUntilSettled(present);
    }
    forgetOwnStateChanges(windows);
}

std::vector<bool> X11ParkingPrimitives::isIconified(const std::vector<xcb_window_t>& windows) {
    const auto deadline = connection_.deadline();
    std::vector<X11WindowFactsRequest> requests;
    requests.reserve(windows.size());
    for (const auto w : windows)
        requests.emplace_back(connection_, w);
    std::vector<bool> result;
    result.reserve(windows.size());
    for (auto& r : requests) {
        const auto facts = r.collect(deadline);
        result.push_back(facts.exists && facts.iconic);
    }
    return result;
}

X11ParkingPrimitives::Sample
X11ParkingPrimitives::sample(const std::vector<xcb_window_t>& windows) {
    const auto deadline = connection_.deadline();
    std::vector<X11FrameRequest> frames;
    std::vector<xcb_get_window_attributes_cookie_t> attributes;
    frames.reserve(windows.size());
    attributes.reserve(windows.size());
    for (const auto w : windows) {
        frames.emplace_back(connection_, w);
        attributes.push_back(xcb_get_window_attributes(connection_.raw(), w));
    }
    Sample result;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto reading = frames[i].collect(deadline);
        result.frames.push_back(reading ? std::optional<Rect>(reading->frame) : std::nullopt);
        auto reply =
            connection_.reply<xcb_get_window_attributes_reply_t>(attributes[i].sequence, deadline);
        if (!reply || reply->map_state != XCB_MAP_STATE_VIEWABLE)
            result.allShown = false;
    }
    return result;
}

void X11ParkingPrimitives::waitUntilSettled(const std::vector<xcb_window_t>& windows) {
    const auto end = X11Connection::Clock::now() + settleTimeout;
    std::vector<std::optional<Rect>> previous;
    while (X11Connection::Clock::now() < end) {
        // Frames and viewability travel together: one round trip per sample.
        auto current = sample(windows);
        if (current.allShown && current.frames == previous)
            return;
        previous = std::move(current.frames);
        std::this_thread::sleep_for(settleSample);
    }
}

void X11ParkingPrimitives::forgetOwnStateChanges(const std::vector<xcb_window_t>& windows) {
    const std::unordered_set<xcb_window_t> ids(windows.begin(), windows.end());
    const xcb_atom_t wmState = connection_.atom(X11Atom::WM_STATE);
    const xcb_atom_t netState = connection_.atom(X11Atom::_NET_WM_STATE);
    connection_.discardQueued([&](const xcb_generic_event_t& event) {
        const std::uint8_t type = event.response_type & 0x7f;
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            return ids.contains(p.window) && (p.atom == wmState || p.atom == netState);
        }
        if (type == XCB_MAP_NOTIFY)
            return ids.contains(reinterpret_cast<const xcb_map_notify_event_t&>(event).window);
        if (type == XCB_UNMAP_NOTIFY)
            return ids.contains(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window);
        return false;
    });
}

} // namespace morvanta
