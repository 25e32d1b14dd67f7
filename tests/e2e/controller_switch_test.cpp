// The cost of a workspace switch on a real X server, with and without Openbox: parking the
// windows of the workspace left and showing those of the workspace entered takes a bounded
// number of round trips however many windows move, and every window ends where it belongs.
#include "app/controller/manual_run_loop.h"
#include "app/controller/tiling_controller.h"
#include "app/desktop/x11/x11_desktop_backend.h"
#include "app/settings/memory_preferences_domain.h"
#include "tests/x11/x11_desktop.h"

#include <gtest/gtest.h>

namespace morvanta::testing {
namespace {

using namespace std::chrono_literals;

// Windows per workspace; a cost paid per window would take a switch far past its bound. With a
// window manager every move, minimising and focus request is waited for once, so it costs more.
constexpr int perWorkspace = 20;
long switchRoundTrips(bool managed) {
    return managed ? 40 : 20;
}

class ControllerSwitch : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        desktop = std::make_unique<X11Desktop>(desktopOptions(GetParam()));
        ASSERT_TRUE(desktop->ok()) << desktop->error();
        auto& client = desktop->client();
        for (int i = 0; i < 2 * perWorkspace; ++i) {
            const std::string name = "w" + std::to_string(i);
            ASSERT_NE(client.open(name, 20 + i * 10, 20 + i * 10, 300, 200, false), 0u);
            client.command("class " + name + " switch " + (i < perWorkspace ? "One" : "Two"));
            client.command("map " + name);
        }
        auto opened = desktop->openSystem();
        ASSERT_TRUE(opened);
        backend =
            std::make_unique<X11DesktopBackend>(std::move(opened), desktop->server().display());
        system = &backend->x11System();
        // Each round also sends the window manager a request: an Openbox that has just started
        // can sit on an event it already read until another one arrives.
        ASSERT_TRUE(waitFor(
            [&] {
                desktop->system().connection().syncWithWindowManager();
                return system->windowList().all().size() == 2 * perWorkspace;
            },
            30s))
            << system->windowList().all().size() << " of " << 2 * perWorkspace << " windows listed";
        settings.setAppRules(
            {AppRule{"One", "One", 1, false, false}, AppRule{"Two", "Two", 2, false, false}});
        controller = std::make_unique<TilingController>(*system, loop, log, settings,
                                                        backend->controllerDevices(loop));
        controller->start();
        ASSERT_EQ(controller->registry().count(), 2 * perWorkspace);
    }
    void TearDown() override {
        if (controller)
            controller->stop();
    }

    // Hidden: in a corner, or minimised carrying the parking mark.
    bool hidden(const AXWindow& w) {
        const auto frame = w.frame();
        auto& access = system->windowAccess();
        return (frame &&
                ScreenGeometry::isParkedPosition(system->screenSource().screens(), *frame)) ||
               (access.parkMark(w) && access.isIconified(w));
    }
    std::vector<AXWindow> windowsOf(const std::string& app) {
        std::vector<AXWindow> found;
        for (const auto& w : system->windowList().all())
            if (w.bundleIdentifier() == app)
                found.push_back(w);
        return found;
    }

    std::unique_ptr<X11Desktop> desktop;
    std::unique_ptr<X11DesktopBackend> backend;
    X11WindowSystem* system = nullptr;
    ManualRunLoop loop;
    DiagnosticsLog log{std::nullopt};
    MemoryPreferencesDomain domain;
    AppSettings settings{domain};
    std::unique_ptr<TilingController> controller;
};

TEST_P(ControllerSwitch, SwitchCostsABoundedNumberOfRoundTrips) {
    auto& x = system->connection();
    for (const int number : {2, 1, 2}) {
        const long before = x.roundTrips();
        controller->commands().switchToWorkspace(number);
        EXPECT_LE(x.roundTrips() - before, switchRoundTrips(GetParam()))
            << "to workspace " << number;
    }
    const auto ones = windowsOf("One"), twos = windowsOf("Two");
    ASSERT_EQ(ones.size(), static_cast<std::size_t>(perWorkspace));
    ASSERT_EQ(twos.size(), static_cast<std::size_t>(perWorkspace));
    for (const auto& w : ones)
        EXPECT_TRUE(hidden(w)) << w.title();
    for (const auto& w : twos)
        EXPECT_FALSE(hidden(w)) << w.title();
    EXPECT_EQ(controller->parker().count(), perWorkspace);
    // No window was left on screen by parking.
    for (const auto& line : log.lines())
        EXPECT_EQ(line.find("didn't hide"), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ControllerSwitch, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Openbox" : "NoWM"; });

} // namespace
} // namespace morvanta::testing
