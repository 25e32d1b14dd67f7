// A tiling controller on the fake desktop with a virtual clock: one 1200×800 screen "S1", two
// applications, the fake border, mouse and frame timer, settings in memory and a log in memory.
#pragma once

#include "app/controller/manual_run_loop.h"
#include "app/controller/tiling_controller.h"
#include "app/desktop/fake/fake_desktop_backend.h"
#include "app/settings/memory_preferences_domain.h"
#include "ax/fake/fake_window_system.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace morvanta::testing {

using namespace std::chrono_literals;

class ControllerTest : public ::testing::Test {
protected:
    ControllerTest() {
        desktop.addScreen(FakeDesktop::makeScreen("S1", {0, 0, 1200, 800}));
        editor = desktop.addApp("Editor", "org.example.Editor");
        term = desktop.addApp("Terminal", "XTerm");
    }

    // Creates the controller (settings as the test left them) and starts it.
    TilingController& startController(bool start = true) {
        controller = std::make_unique<TilingController>(desktop.system(), loop, log, settings,
                                                        desktopBackend.controllerDevices(loop));
        ring = desktopBackend.border();
        mouse = desktopBackend.mouse();
        if (start)
            controller->start();
        return *controller;
    }

    AXWindow open(std::int32_t pid, const std::string& title, Rect frame = {10, 10, 300, 200},
                  FakeWindowOptions options = {}) {
        return desktop.openWindow(pid, title, frame, options);
    }
    // Lets the debounced refresh run.
    void settle() { loop.advance(200ms); }
    Rect frame(const AXWindow& w) { return desktop.frameOf(w).value_or(Rect{-1, -1, -1, -1}); }

    // The log's messages without their time stamps.
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const auto& line : log.lines())
            out.push_back(line.substr(line.find("] ") + 2));
        return out;
    }
    bool logged(const std::string& message) const {
        const auto all = messages();
        return std::ranges::find(all, message) != all.end();
    }
    int countLogged(const std::string& message) const {
        return static_cast<int>(std::ranges::count(messages(), message));
    }
    void clearLog() { log.clear(); }

    FakeDesktop desktop;
    FakeDesktopBackend desktopBackend{desktop};
    ManualRunLoop loop;
    DiagnosticsLog log{std::nullopt};
    MemoryPreferencesDomain domain;
    AppSettings settings{domain};
    std::unique_ptr<TilingController> controller;
    FakeBorderOverlay* ring = nullptr;
    FakeMouseMonitor* mouse = nullptr;
    std::int32_t editor = 0;
    std::int32_t term = 0;
};

} // namespace morvanta::testing
