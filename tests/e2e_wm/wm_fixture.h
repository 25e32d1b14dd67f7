// WindowManagerE2E: the real `morvanta` program beside one window manager of the matrix (or
// none), on one screen or on two monitors side by side, with what the tests of that matrix check
// from outside: the focus border's place and the configure events of a quiet desktop.
#pragma once

#include "tests/e2e_app/app_fixture.h"

namespace morvanta::testing {

struct WindowManagerSetup {
    TestWindowManager windowManager;
    bool twoMonitors;
};

// Every window manager of the matrix (and none), each with one screen and with two
// monitors; or with one screen only.
std::vector<WindowManagerSetup> windowManagerSetups(bool withTwoMonitors = true);
std::string setupName(const ::testing::TestParamInfo<WindowManagerSetup>& info);

class WindowManagerE2E : public AppE2E, public ::testing::WithParamInterface<WindowManagerSetup> {
protected:
    WindowManagerE2E();

    // The window of the four opened before start whose title is `title`.
    AXWindow named(const std::string& title);
    // Whether Morvanta's focus border shows around `window`'s frame; `borderSeen` then tells
    // where the border and the frame were at the last look, for a failure's message.
    bool borderAround(const AXWindow& window);
    std::string borderSeen;
    // The configure events the listed windows receive over `quiet`: a desktop where nothing
    // happens must see none, or something fights in a loop.
    int configuresDuring(const std::vector<AXWindow>& watched, std::chrono::milliseconds quiet);
};

} // namespace morvanta::testing
