// The welcome guide on the fake desktop: a tiling controller with a virtual clock over one
// 1200×800 screen, settings in memory, the launch-at-login entry in a private folder, and a
// stand-in for the hot-key service that prints the three bindings for the current style.
#pragma once

#include "app/controller/manual_run_loop.h"
#include "app/controller/tiling_controller.h"
#include "app/desktop/fake/fake_desktop_backend.h"
#include "app/settings/memory_preferences_domain.h"
#include "app/shell/welcome/onboarding_view.h"
#include "ax/fake/fake_window_system.h"
#include "tests/support/gui_application.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace morvanta::testing {

using namespace std::chrono_literals;

class WelcomeTest : public ::testing::Test {
protected:
    WelcomeTest() {
        guiApplication();
        desktop.addScreen(FakeDesktop::makeScreen("S1", {0, 0, 1200, 800}));
        app = desktop.addApp("Terminal", "XTerm");
    }

    AppSettingsPlatform platform() {
        AppSettingsPlatform p;
        p.loginItem = LaunchAtLogin(std::filesystem::path(home.path().toStdString()) / "autostart" /
                                        "morvanta.desktop",
                                    "/usr/bin/morvanta");
        p.systemLog = [this](const std::string& line) { systemLog.push_back(line); };
        return p;
    }

    TilingController& startController() {
        controller = std::make_unique<TilingController>(desktop.system(), loop, log, settings,
                                                        desktopBackend.controllerDevices(loop));
        controller->start();
        loop.advance(200ms);
        return *controller;
    }

    // What the hot-key service would print for the three names in the current style.
    std::string shortcutText(const std::string& name) const {
        const std::string mods =
            settings.shortcutStyle() == ShortcutStyle::controlOption ? "Ctrl+Alt+" : "Alt+";
        if (name == "commandPalette")
            return mods + "Shift+;";
        if (name == "switchToWorkspace2")
            return mods + "2";
        if (name == "moveToWorkspace2")
            return unboundMove ? std::string() : mods + "Shift+2";
        return {};
    }

    std::unique_ptr<OnboardingView> makeView(std::chrono::milliseconds relaunchDelay = 0ms) {
        OnboardingActions actions;
        actions.finish = [this] { ++finished; };
        actions.relaunch = [this] {
            ++relaunches;
            return relaunchWorks;
        };
        actions.openSessionHelp = [this] { ++helpOpened; };
        actions.shortcutText = [this](const std::string& name) { return shortcutText(name); };
        actions.anotherWindowManagerRunning = [this] { return tilingWindowManager; };
        auto view = std::make_unique<OnboardingView>(*controller, settings, actions, relaunchDelay);
        view->resize(OnboardingView::contentSize);
        view->show();
        QApplication::processEvents();
        return view;
    }

    // The visible texts of a page's labels and buttons, joined by newlines.
    static QString visibleTexts(QWidget* page) {
        QStringList texts;
        for (auto* label : page->findChildren<QLabel*>())
            if (label->isVisibleTo(page))
                texts << label->text();
        for (auto* button : page->findChildren<QAbstractButton*>())
            if (button->isVisibleTo(page))
                texts << button->text();
        return texts.join('\n');
    }
    static QAbstractButton* button(QWidget* page, const char* text) {
        for (auto* b : page->findChildren<QAbstractButton*>())
            if (b->text() == QString::fromUtf8(text))
                return b;
        return nullptr;
    }

    QTemporaryDir home;
    FakeDesktop desktop;
    FakeDesktopBackend desktopBackend{desktop};
    ManualRunLoop loop;
    DiagnosticsLog log{std::nullopt};
    MemoryPreferencesDomain domain;
    std::vector<std::string> systemLog;
    AppSettings settings{domain, platform()};
    std::unique_ptr<TilingController> controller;
    std::int32_t app = 0;
    int finished = 0;
    int relaunches = 0;
    int helpOpened = 0;
    bool relaunchWorks = true;
    bool tilingWindowManager = false;
    bool unboundMove = false;
};

} // namespace morvanta::testing
