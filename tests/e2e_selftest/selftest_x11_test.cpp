// morvanta-selftest on a private Xvfb with three xterms, xclock and xeyes: under Openbox and
// without a window manager, on one display and on two RandR monitors. Each run must end with
// "0 failed" and leave every window back on screen.
#include "ax/screen_geometry.h"
#include "ax/x11/x11_window_system.h"
#include "tests/support/xdg_sandbox.h"
#include "tests/support/xvfb_server.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace morvanta::testing {
namespace {

struct Setup {
    bool openbox;
    bool twoMonitors;
};

class SelfTestOnX11 : public ::testing::TestWithParam<Setup> {};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_P(SelfTestOnX11, EndsWithNoFailedCheck) {
    XvfbOptions options;
    options.openbox = GetParam().openbox;
    if (GetParam().twoMonitors)
        options.monitors = {{"LEFT", 0, 0, 1100, 1080}, {"RIGHT", 1100, 0, 820, 1080}};
    XvfbServer server(options);
    ASSERT_TRUE(server.ok()) << server.error();
    XdgSandbox sandbox;

    X11Options x11;
    x11.display = server.display();
    x11.waylandSession = false;
    auto system = X11WindowSystem::open(x11);
    ASSERT_TRUE(system);
    // The terminals first: they lead their workspace, so when a window leaves, the focus passes
    // to a window that takes the keyboard (a clock and a pair of eyes never do).
    for (const char* program : {"xterm", "xterm", "xterm"})
        server.spawn({program});
    ASSERT_TRUE(
        waitFor([&] { return system->windowList().all().size() == 3; }, std::chrono::seconds(20)));
    for (const char* program : {"xclock", "xeyes"})
        server.spawn({program});
    ASSERT_TRUE(
        waitFor([&] { return system->windowList().all().size() == 5; }, std::chrono::seconds(20)));
    if (GetParam().twoMonitors) {
        ASSERT_EQ(system->screenSource().screens().size(), 2u);
    }

    const int status = server.run({MORVANTA_SELFTEST_PROGRAM});
    const std::string log = readFile(sandbox.state() / "morvanta" / "Morvanta.log");
    EXPECT_EQ(status, 0) << log;
    EXPECT_NE(log.find("=== SELF-TEST END: "), std::string::npos) << log;
    EXPECT_NE(log.find(" passed, 0 failed ==="), std::string::npos) << log;
    EXPECT_EQ(log.find("❌"), std::string::npos) << log;
    const bool skipped = log.find("two-display checks skipped") != std::string::npos;
    EXPECT_EQ(skipped, !GetParam().twoMonitors) << log;
    if (GetParam().twoMonitors) {
        EXPECT_NE(log.find("LEFT owns workspaces"), std::string::npos) << log;
        EXPECT_NE(log.find("moved to the other screen and shown there"), std::string::npos) << log;
    }

    // Every window is back on screen, none left parked.
    system->dispatchPending();
    const auto screens = system->screenSource().screens();
    const auto windows = system->windowList().all();
    ASSERT_EQ(windows.size(), 5u);
    for (const auto& window : windows) {
        const auto frame = window.frame();
        ASSERT_TRUE(frame) << window.description();
        EXPECT_FALSE(ScreenGeometry::isParkedPosition(screens, *frame)) << window.description();
        EXPECT_EQ(window.isMinimized(), std::optional<bool>(false)) << window.description();
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, SelfTestOnX11,
                         ::testing::Values(Setup{true, false}, Setup{false, false},
                                           Setup{true, true}, Setup{false, true}),
                         [](const auto& info) {
                             return std::string(info.param.openbox ? "Openbox" : "NoWM") +
                                    (info.param.twoMonitors ? "TwoMonitors" : "OneDisplay");
                         });

} // namespace
} // namespace morvanta::testing
