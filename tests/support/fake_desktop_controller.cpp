#include "tests/support/fake_desktop_controller.h"

#include <algorithm>
#include <chrono>

namespace morvanta::testing {

namespace {
AppSettingsPlatform platformIn(FakeDesktopController& fixture) {
    AppSettingsPlatform platform;
    platform.loginItem = LaunchAtLogin(fixture.autostartEntry(), "/usr/bin/morvanta");
    platform.systemLog = [&fixture](const std::string& line) { fixture.systemLog.push_back(line); };
    return platform;
}
} // namespace

FakeDesktopController::FakeDesktopController() : settings(domain, platformIn(*this)) {
    desktop.addScreen(FakeDesktop::makeScreen("S1", {0, 0, 1200, 800}));
    editor = desktop.addApp("Editor", "org.example.Editor");
    term = desktop.addApp("Terminal", "XTerm");
}

FakeDesktopController::~FakeDesktopController() {
    controller.reset();
}

TilingController& FakeDesktopController::makeController() {
    controller.reset();
    controller = std::make_unique<TilingController>(desktop.system(), loop, log, settings,
                                                    desktopBackend.controllerDevices(loop));
    ring = desktopBackend.border();
    mouse = desktopBackend.mouse();
    return *controller;
}

TilingController& FakeDesktopController::startController() {
    makeController().start();
    settle();
    return *controller;
}

void FakeDesktopController::settle() {
    loop.advance(std::chrono::milliseconds(200));
}

AXWindow FakeDesktopController::open(std::int32_t pid, const std::string& title, Rect frame,
                                     FakeWindowOptions options) {
    return desktop.openWindow(pid, title, frame, options);
}

Rect FakeDesktopController::frame(const AXWindow& window) const {
    return desktop.frameOf(window).value_or(Rect{-1, -1, -1, -1});
}

std::vector<std::string> FakeDesktopController::messages() const {
    std::vector<std::string> out;
    for (const auto& line : log.lines())
        out.push_back(line.substr(line.find("] ") + 2));
    return out;
}

bool FakeDesktopController::logged(const std::string& message) const {
    return countLogged(message) > 0;
}

int FakeDesktopController::countLogged(const std::string& message) const {
    return static_cast<int>(std::ranges::count(messages(), message));
}

} // namespace morvanta::testing
