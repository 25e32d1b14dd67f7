// A fake desktop with two screens side by side and two applications, shared by the ax tests.
#pragma once

#include "ax/fake/fake_desktop.h"
#include "ax/fake/fake_window_system.h"

#include <gtest/gtest.h>

namespace morvanta::testing {

class DesktopTest : public ::testing::Test {
protected:
    // "A": 1920×1080 with a 40-point panel at the bottom; "B": 1280×1024 to its right.
    DesktopTest() {
        desktop.addScreen(FakeDesktop::makeScreen("A", {0, 0, 1920, 1080}, Rect{0, 0, 1920, 1040}));
        desktop.addScreen(FakeDesktop::makeScreen("B", {1920, 0, 1280, 1024}));
        editor = desktop.addApp("Editor", "org.example.Editor");
        term = desktop.addApp("Terminal", "XTerm");
    }

    WindowAccess& access() { return desktop.system().windowAccess(); }
    std::vector<AXWindow> all() { return desktop.system().windowList().all(); }

    FakeDesktop desktop;
    std::int32_t editor = 0;
    std::int32_t term = 0;
};

} // namespace morvanta::testing
