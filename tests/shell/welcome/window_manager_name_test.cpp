// Telling a tiling window manager from others: the name rule without a display, and reading the
// name from a private Xvfb, where a stand-in window manager's check window names itself.
#include "ax/x11/tiling_window_managers.h"
#include "ax/x11/window_manager_name.h"
#include "ax/x11/x11_connection.h"
#include "tests/support/xvfb_server.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string_view>
#include <xcb/xcb.h>

namespace morvanta {
namespace {

TEST(TilingWindowManagers, NamesMatchWholeOrWithASuffixWithoutRegardToCase) {
    for (std::string_view name :
         {"i3", "bspwm", "herbstluftwm", "awesome", "xmonad", "dwm", "spectrwm", "qtile", "Qtile",
          "  LG3D ", "xmonad-0.17", "awesome v4.3", "i3 (gaps)", "HerbstluftWM"})
        EXPECT_TRUE(isTilingWindowManager(name)) << name;
    for (std::string_view name :
         {"", "Openbox", "Xfwm4", "KWin", "Mutter (Muffin)", "GNOME Shell", "Fluxbox", "i3lock",
          "dkwm", "awesomeness", "dwmé", "metacity", "Compiz", "xmonadic"})
        EXPECT_FALSE(isTilingWindowManager(name)) << name;
}

xcb_atom_t intern(xcb_connection_t* c, std::string_view name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// A stand-in window manager: a check window naming itself, announced on the root.
xcb_window_t announce(xcb_connection_t* c, std::string_view name, bool utf8) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t check = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, check, screen->root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t supporting = intern(c, "_NET_SUPPORTING_WM_CHECK");
    for (xcb_window_t on : {check, screen->root})
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, on, supporting, XCB_ATOM_WINDOW, 32, 1,
                            &check);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, check,
                        utf8 ? intern(c, "_NET_WM_NAME") : xcb_atom_t{XCB_ATOM_WM_NAME},
                        utf8 ? intern(c, "UTF8_STRING") : xcb_atom_t{XCB_ATOM_STRING}, 8,
                        static_cast<std::uint32_t>(name.size()), name.data());
    xcb_flush(c);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return check;
}

TEST(WindowManagerName, ReadsTheCheckWindowsName) {
    testing::XvfbServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    {
        auto x = X11Connection::open(server.display());
        ASSERT_TRUE(x);
        EXPECT_EQ(windowManagerName(*x), std::nullopt); // none runs
    }
    xcb_connection_t* wm = xcb_connect(server.display().c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(wm));
    const xcb_window_t check = announce(wm, "i3", true);
    {
        auto x = X11Connection::open(server.display());
        ASSERT_TRUE(x);
        EXPECT_EQ(windowManagerName(*x), "i3");
        EXPECT_EQ(runningTilingWindowManager(*x), "i3");
    }
    // A window manager that names itself only the ICCCM way, and is not a tiling one.
    xcb_destroy_window(wm, check);
    announce(wm, "Openbox", false);
    {
        auto x = X11Connection::open(server.display());
        ASSERT_TRUE(x);
        EXPECT_EQ(windowManagerName(*x), "Openbox");
        EXPECT_EQ(runningTilingWindowManager(*x), std::nullopt);
    }
    // A stale announcement, its check window gone with its window manager: nothing runs.
    xcb_disconnect(wm);
    auto x = X11Connection::open(server.display());
    ASSERT_TRUE(x);
    EXPECT_TRUE(testing::waitFor([&] { return !windowManagerName(*x).has_value(); }));
}

} // namespace
} // namespace morvanta
