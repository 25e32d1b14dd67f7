#include "ax/x11/x11_window_hints.h"

#include "ax/x11/x11_window_facts.h"

#include <algorithm>

namespace morvanta {

namespace {

// WM_NORMAL_HINTS: the flag for resize increments and where they sit.
constexpr std::uint32_t resizeIncrementFlag = 1u << 6;
constexpr std::size_t widthIncrementIndex = 9;
constexpr std::size_t heightIncrementIndex = 10;

std::optional<Size> incrementOf(const xcb_get_property_reply_t* reply) {
    const auto hints = propertyValues32(reply);
    if (hints.size() <= heightIncrementIndex || !(hints[0] & resizeIncrementFlag))
        return std::nullopt;
    const auto w = static_cast<std::int32_t>(hints[widthIncrementIndex]);
    const auto h = static_cast<std::int32_t>(hints[heightIncrementIndex]);
    if (w <= 1 && h <= 1)
        return std::nullopt;
    return Size{static_cast<double>(std::max(1, w)), static_cast<double>(std::max(1, h))};
}

} // namespace

X11WindowHintsRequest::X11WindowHintsRequest(X11Connection& connection, xcb_window_t window)
    : connection_(connection) {
    normalHints_ =
        connection_.getProperty(window, X11Atom::WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 18);
    strutPartial_ =
        connection_.getProperty(window, X11Atom::_NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 12);
    strut_ = connection_.getProperty(window, X11Atom::_NET_WM_STRUT, XCB_ATOM_CARDINAL, 4);
}

X11WindowHints X11WindowHintsRequest::collect(X11Connection::Deadline deadline) {
    auto normalHints = connection_.reply<xcb_get_property_reply_t>(normalHints_.sequence, deadline);
    auto strutPartial =
        connection_.reply<xcb_get_property_reply_t>(strutPartial_.sequence, deadline);
    auto strut = connection_.reply<xcb_get_property_reply_t>(strut_.sequence, deadline);
    X11WindowHints result;
    result.sizeIncrement = incrementOf(normalHints.get());
    result.reservesSpace =
        !propertyValues32(strutPartial.get()).empty() || !propertyValues32(strut.get()).empty();
    return result;
}

} // namespace morvanta
