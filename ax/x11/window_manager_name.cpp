#include "ax/x11/window_manager_name.h"

#include "ax/x11/tiling_window_managers.h"
#include "ax/x11/x11_connection.h"

#include <algorithm>

namespace morvanta {

namespace {

std::optional<std::string> textOf(const XReply<xcb_get_property_reply_t>& reply) {
    if (!reply || reply->format != 8)
        return std::nullopt;
    const int length = xcb_get_property_value_length(reply.get());
    std::string text(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<std::size_t>(std::max(length, 0)));
    // Some window managers store a terminating NUL with the name.
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    if (text.empty())
        return std::nullopt;
    return text;
}

} // namespace

std::optional<std::string> windowManagerName(X11Connection& x) {
    const auto check = x.windowManager();
    if (!check)
        return std::nullopt;
    // Both names asked for at once; the EWMH one wins when it is there.
    const auto deadline = x.deadline();
    auto ewmh = x.getProperty(*check, X11Atom::_NET_WM_NAME, x.atom(X11Atom::UTF8_STRING), 256);
    auto icccm = x.getProperty(*check, X11Atom::WM_NAME, XCB_ATOM_ANY, 256);
    auto ewmhName = textOf(x.reply<xcb_get_property_reply_t>(ewmh.sequence, deadline));
    auto icccmName = textOf(x.reply<xcb_get_property_reply_t>(icccm.sequence, deadline));
    return ewmhName ? ewmhName : icccmName;
}

std::optional<std::string> runningTilingWindowManager(X11Connection& x) {
    auto name = windowManagerName(x);
    if (name && isTilingWindowManager(*name))
        return name;
    return std::nullopt;
}

} // namespace morvanta
