// Frames beside each window manager of the matrix, on the X11 layer alone: a frame set lands
// exactly where it was asked (the window manager's own frame window says so, whatever gravity
// and reference it reads requests in), the frame read back agrees, and the decorations read
// from a managed window agree with what the window manager announces for a new one
// (_NET_REQUEST_FRAME_EXTENTS).
#include "tests/e2e_wm/wm_fixture.h"

#include <xcb/xcb.h>

namespace morvanta::testing {
namespace {

class WindowManagerFrames : public ::testing::TestWithParam<WindowManagerSetup> {
protected:
    WindowManagerFrames() : desktop(desktopOptions(GetParam().windowManager)) {}

    // The geometry of the root's child that holds `window`: the window manager's frame.
    std::optional<Rect> outerFrame(const AXWindow& window) {
        auto& x = desktop.system().connection();
        const auto top = X11WindowList::topLevelOf(x, window.id());
        if (!top)
            return std::nullopt;
        auto* g = xcb_get_geometry_reply(x.raw(), xcb_get_geometry(x.raw(), *top), nullptr);
        if (!g)
            return std::nullopt;
        const Rect r{static_cast<double>(g->x), static_cast<double>(g->y),
                     static_cast<double>(g->width + 2 * g->border_width),
                     static_cast<double>(g->height + 2 * g->border_width)};
        free(g);
        return r;
    }

    // The extents the window manager announces for a window it has not mapped yet.
    std::vector<std::uint32_t> announcedExtents() {
        const auto id = desktop.client().open("unmapped", 10, 10, 200, 100, false);
        auto& x = desktop.system().connection();
        x.sendClientMessage(id, X11Atom::_NET_REQUEST_FRAME_EXTENTS, {0, 0, 0, 0, 0});
        x.flush();
        std::vector<std::uint32_t> extents;
        waitFor([&] {
            auto reply = x.reply<xcb_get_property_reply_t>(
                x.getProperty(id, X11Atom::_NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4).sequence,
                x.deadline());
            extents = propertyValues32(reply.get());
            return extents.size() == 4;
        });
        return extents;
    }

    X11Desktop desktop;
};

TEST_P(WindowManagerFrames, FramesLandExactlyWhereAsked) {
    ASSERT_TRUE(desktop.ok()) << desktop.error();
    const auto w = desktop.open("plain", 50, 60, 400, 300);
    ASSERT_NE(w.id(), 0u);
    for (const Rect target :
         {Rect{200, 150, 640, 480}, Rect{0, 0, 800, 500}, Rect{10, 20, 300, 200}}) {
        EXPECT_TRUE(w.setFrame(target));
        EXPECT_TRUE(waitFor([&] { return w.frame() == target; }))
            << "asked " << target.x << "," << target.y << " " << target.width << "×"
            << target.height << "; got " << w.frame()->x << "," << w.frame()->y << " "
            << w.frame()->width << "×" << w.frame()->height;
        // The window manager's frame window holds that frame: exactly, or with the invisible
        // resize borders some draw around it (Mutter: 8 to 10 points a side).
        const auto outer = outerFrame(w);
        ASSERT_TRUE(outer);
        for (const double gap : {target.x - outer->x, target.y - outer->y,
                                 outer->maxX() - target.maxX(), outer->maxY() - target.maxY()})
            EXPECT_TRUE(gap >= 0 && gap <= 10) << "frame window at " << outer->x << "," << outer->y
                                               << " " << outer->width << "×" << outer->height;
    }
    if (!desktop.managed())
        return;
    // What a managed window carries is what the window manager announces for a new one.
    auto& x = desktop.system().connection();
    const auto carried = propertyValues32(
        x.reply<xcb_get_property_reply_t>(
             x.getProperty(w.id(), X11Atom::_NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4).sequence,
             x.deadline())
            .get());
    // Some announce support but never answer (Fluxbox): nothing to compare there.
    if (const auto announced = announcedExtents(); !announced.empty()) {
        EXPECT_EQ(announced, carried);
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowManagerFrames,
                         ::testing::ValuesIn(windowManagerSetups(false)), setupName);

} // namespace
} // namespace morvanta::testing
