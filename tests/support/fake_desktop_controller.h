// FakeDesktopController: the tiling controller on the fake desktop with a virtual clock, as the
// controller, shell and self-test suites drive it: one 1200×800 screen "S1", two applications
// ("Editor" and "Terminal"), the fake border, mouse and frame timer, settings and the log in
// memory, and XDG folders (desktop entries, the launch-at-login entry) in a private sandbox.
#pragma once

#include "app/controller/manual_run_loop.h"
#include "app/controller/tiling_controller.h"
#include "app/desktop/fake/fake_desktop_backend.h"
#include "app/settings/memory_preferences_domain.h"
#include "ax/fake/fake_desktop.h"
#include "ax/fake/fake_window_system.h"
#include "tests/support/xdg_sandbox.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace morvanta::testing {

using namespace std::chrono_literals;

class FakeDesktopController {
public:
    FakeDesktopController();
    virtual ~FakeDesktopController();
    FakeDesktopController(const FakeDesktopController&) = delete;
    FakeDesktopController& operator=(const FakeDesktopController&) = delete;

    // Creates the controller over fake devices (settings as the test left them), not started.
    TilingController& makeController();
    // Creates it, starts it and lets the first refresh run.
    TilingController& startController();
    // Lets the debounced refresh run.
    void settle();

    AXWindow open(std::int32_t pid, const std::string& title, Rect frame = {10, 10, 300, 200},
                  FakeWindowOptions options = {});
    Rect frame(const AXWindow& window) const;

    // The log's messages without their time stamps.
    std::vector<std::string> messages() const;
    bool logged(const std::string& message) const;
    int countLogged(const std::string& message) const;
    void clearLog() { log.clear(); }

    // Where launch at login writes its entry.
    std::filesystem::path autostartFolder() const { return sandbox.root() / "autostart"; }
    std::filesystem::path autostartEntry() const { return autostartFolder() / "morvanta.desktop"; }

    XdgSandbox sandbox;
    // What the settings report to the system log (a failed launch-at-login change).
    std::vector<std::string> systemLog;
    FakeDesktop desktop;
    FakeDesktopBackend desktopBackend{desktop};
    ManualRunLoop loop;
    DiagnosticsLog log{std::nullopt};
    MemoryPreferencesDomain domain;
    AppSettings settings;
    std::unique_ptr<TilingController> controller;
    // The controller's border and mouse, while it lives.
    FakeBorderOverlay* ring = nullptr;
    FakeMouseMonitor* mouse = nullptr;
    std::int32_t editor = 0;
    std::int32_t term = 0;
};

// The same as a GoogleTest fixture.
class FakeDesktopControllerTest : public ::testing::Test, public FakeDesktopController {};

} // namespace morvanta::testing
