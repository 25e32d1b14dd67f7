// The controller end to end: its own process on a private Xvfb, with and without Openbox, with
// two windows of the test client, an xterm (which sizes in character cells) and an xclock.
#include "ax/screen_geometry.h"
#include "core/layout_presets.h"
#include "tests/e2e/host_process.h"
#include "tests/support/xvfb_server.h"
#include "tests/x11/x11_desktop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <xcb/xcb.h>

namespace morvanta::testing {
namespace {

using namespace std::chrono_literals;

class ControllerE2E : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        desktop = std::make_unique<X11Desktop>(desktopOptions(GetParam()));
        ASSERT_TRUE(desktop->ok()) << desktop->error();
        a = desktop->open("a", 50, 50, 400, 300);
        b = desktop->open("b", 500, 100, 300, 300);
        ASSERT_GT(desktop->server().spawn({"xterm", "-geometry", "80x24+100+400"}), 0);
        ASSERT_GT(desktop->server().spawn({"xclock", "-geometry", "200x200+700+400"}), 0);
        ASSERT_TRUE(waitFor([&] { return windows().size() == 4; }, 10s));
        host = std::make_unique<HostProcess>(desktop->server().display());
        ASSERT_TRUE(host->ok());
    }

    std::vector<AXWindow> windows() { return desktop->system().windowList().all(); }
    Rect visibleFrame() { return desktop->visibleFrame(); }
    bool hidden(const AXWindow& w) { return desktop->isHidden(w); }
    bool shown(const AXWindow& w) { return !hidden(w) && w.frame(); }

    // Every listed window shows and sits in a slot of `kind` laid out for that many windows;
    // in monocle one of them fills the screen and the others are parked.
    bool tiled(const std::vector<AXWindow>& tiles, LayoutKind kind) {
        if (kind == LayoutKind::monocle) {
            const auto full = LayoutPresets::frames(1, kind, {}, {}, visibleFrame(), {}).front();
            const auto fills = [&](const AXWindow& w) {
                const auto f = w.frame();
                return !hidden(w) && f && frameMatches(*f, full, w.sizeIncrement());
            };
            return std::ranges::count_if(tiles, fills) == 1 &&
                   std::ranges::count_if(tiles, [&](const AXWindow& w) { return hidden(w); }) ==
                       static_cast<long>(tiles.size()) - 1;
        }
        return desktop->fillsSlots(tiles, kind);
    }
    bool waitTiled(const std::vector<AXWindow>& tiles, LayoutKind kind) {
        return waitFor([&] { return tiled(tiles, kind); }, 5s);
    }
    std::map<std::uint32_t, Rect> frames() {
        std::map<std::uint32_t, Rect> out;
        for (const auto& w : windows())
            out[w.id()] = w.frame().value_or(Rect{});
        return out;
    }
    bool backAt(const std::map<std::uint32_t, Rect>& saved) {
        const auto isBack = [&](const AXWindow& w) {
            const auto f = w.frame();
            return shown(w) && f && saved.contains(w.id()) &&
                   frameMatches(*f, saved.at(w.id()), w.sizeIncrement());
        };
        const bool back = waitFor([&] {
            const auto all = windows();
            return all.size() == saved.size() && std::ranges::all_of(all, isBack);
        });
        // Which window stayed away, and where, for a failure seen only on a loaded machine.
        for (const auto& w : back ? std::vector<AXWindow>{} : windows()) {
            const auto f = w.frame().value_or(Rect{});
            const auto s = saved.contains(w.id()) ? saved.at(w.id()) : Rect{};
            std::fprintf(stderr, "window %u: shown %d, at %g,%g %gx%g, saved %g,%g %gx%g\n",
                         static_cast<unsigned>(w.id()), shown(w) ? 1 : 0, f.x, f.y, f.width,
                         f.height, s.x, s.y, s.width, s.height);
        }
        return back;
    }
    bool allHidden() {
        return waitFor([&] {
            const auto all = windows();
            return all.size() == 4 &&
                   std::ranges::all_of(all, [&](const AXWindow& w) { return hidden(w); });
        });
    }
    void focus(const std::string& name, const AXWindow& w) {
        ASSERT_EQ(desktop->client().command("focus " + name), "ok");
        ASSERT_TRUE(waitFor(
            [&] { return host->command("focused") == "focused " + std::to_string(w.id()); }));
    }

    // The X server's input focus, wherever a window manager's properties say it is.
    xcb_window_t inputFocus() {
        auto* raw = desktop->system().connection().raw();
        auto* reply = xcb_get_input_focus_reply(raw, xcb_get_input_focus(raw), nullptr);
        const xcb_window_t focus = reply ? reply->focus : XCB_NONE;
        free(reply);
        return focus;
    }

    std::unique_ptr<X11Desktop> desktop;
    std::unique_ptr<HostProcess> host;
    AXWindow a, b;
};

TEST_P(ControllerE2E, TilesInEveryLayoutMovesAndFloats) {
    ASSERT_EQ(host->command("start"), "ok");
    auto all = windows();
    EXPECT_TRUE(waitTiled(all, LayoutKind::mainStack));
    for (const auto kind : {LayoutKind::columns, LayoutKind::rows, LayoutKind::grid,
                            LayoutKind::monocle, LayoutKind::columns}) {
        ASSERT_EQ(host->command("layout " + std::string(rawValue(kind))), "ok");
        EXPECT_TRUE(waitTiled(all, kind)) << rawValue(kind);
    }

    focus("a", a);
    ASSERT_EQ(host->command("move 3"), "ok");
    std::erase(all, a);
    EXPECT_TRUE(waitFor([&] { return hidden(a); }));
    EXPECT_TRUE(waitTiled(all, LayoutKind::columns));

    focus("b", b);
    ASSERT_EQ(host->command("float"), "ok");
    const Rect v = visibleFrame();
    EXPECT_TRUE(waitFor([&] {
        const auto f = b.frame();
        return f &&
               frameMatches(
                   *f, {v.x + 0.2 * v.width, v.y + 0.2 * v.height, 0.6 * v.width, 0.6 * v.height},
                   std::nullopt);
    }));
    std::erase(all, b);
    EXPECT_TRUE(waitTiled(all, LayoutKind::columns));
}

TEST_P(ControllerE2E, SwitchingPausingAndStoppingBringWindowsBackInPlace) {
    ASSERT_EQ(host->command("start"), "ok");
    ASSERT_TRUE(waitTiled(windows(), LayoutKind::mainStack));
    const auto saved = frames();

    focus("a", a);
    ASSERT_EQ(host->command("switch 2"), "ok");
    EXPECT_TRUE(allHidden());
    EXPECT_EQ(host->command("parked"), "parked 4");
    // Workspace 2 is empty: the keyboard left the hidden window, and no window has it.
    EXPECT_TRUE(waitFor([&] { return host->command("focused") == "focused none"; }));
    EXPECT_NE(inputFocus(), a.id());
    ASSERT_EQ(host->command("switch 1"), "ok");
    EXPECT_TRUE(backAt(saved));

    ASSERT_EQ(host->command("switch 2"), "ok");
    ASSERT_TRUE(allHidden());
    ASSERT_EQ(host->command("pause on"), "ok");
    EXPECT_TRUE(backAt(saved));
    EXPECT_EQ(host->command("parked"), "parked 0");

    // Resuming tiles again. It also follows the focus, and a window manager may have focused
    // one of the windows shown while paused: workspace 2 is asked for again.
    ASSERT_EQ(host->command("pause off"), "ok");
    ASSERT_EQ(host->command("switch 2"), "ok");
    EXPECT_TRUE(allHidden());
    ASSERT_EQ(host->command("stop"), "ok");
    EXPECT_TRUE(backAt(saved));
    EXPECT_EQ(host->command("logged Tiling stopped; brought back 4 hidden window(s)."), "yes");
}

TEST_P(ControllerE2E, KilledWhileWindowsAreParkedThenRestartedRestoresThemExactly) {
    ASSERT_EQ(host->command("start"), "ok");
    ASSERT_TRUE(waitTiled(windows(), LayoutKind::mainStack));
    const auto saved = frames();
    ASSERT_EQ(host->command("switch 2"), "ok");
    ASSERT_TRUE(allHidden());
    host->killHard();
    EXPECT_TRUE(allHidden()); // nothing brought them back

    // Paused, the new run only rescues: the frames seen are the rescue's own.
    host = std::make_unique<HostProcess>(desktop->server().display());
    ASSERT_EQ(host->command("pause on"), "ok");
    ASSERT_EQ(host->command("start"), "ok");
    EXPECT_EQ(host->command("logged Rescuing 4 window(s) left in a screen corner: "), "yes");
    EXPECT_TRUE(backAt(saved));
    for (const auto& w : windows())
        EXPECT_FALSE(desktop->system().x11Access().parkMark(w));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ControllerE2E, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Openbox" : "NoWM"; });

} // namespace
} // namespace morvanta::testing
