// The settings window over the fake desktop: a controller with a virtual clock, settings in
// memory with the login entry in a private folder, and the shortcut actions over a hot-key
// service whose grabs are only recorded. Shortcuts print and key events convert through a small
// stand-in table, so everything runs on Qt's offscreen platform.
#pragma once

#include "app/commands/preferences_shortcut_storage.h"
#include "app/commands/shortcut_actions.h"
#include "app/controller/manual_run_loop.h"
#include "app/controller/tiling_controller.h"
#include "app/desktop/fake/fake_desktop_backend.h"
#include "app/settings/memory_preferences_domain.h"
#include "app/shell/settings_window/settings_window.h"
#include "ax/fake/fake_window_system.h"
#include "shortcuts/fake/fake_hot_keys.h"
#include "shortcuts/modifiers.h"
#include "tests/support/gui_application.h"

#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <unordered_set>

namespace morvanta::testing {

using namespace std::chrono_literals;

inline constexpr int alt = carbon::option;
inline constexpr int altShift = carbon::option | carbon::shift;
inline constexpr int ctrlAlt = carbon::control | carbon::option;
// Key codes of the stand-in table.
inline constexpr int keyA = 0, keyC = 8, keyD = 2, keyK = 40, key1 = 18, key2 = 19;

// "Alt+K": the modifiers, then the key's letter or digit from a table of the keys tests use.
template <class Range, class T> bool has(const Range& range, const T& value) {
    return std::ranges::find(range, value) != std::ranges::end(range);
}

inline std::string standInText(const Shortcut& s) {
    static const std::map<int, std::string> keys = {
        {keyA, "A"},    {1, "S"},      {keyD, "D"}, {3, "F"},  {keyC, "C"}, {keyK, "K"},
        {key1, "1"},    {key2, "2"},   {20, "3"},   {21, "4"}, {23, "5"},   {22, "6"},
        {26, "7"},      {28, "8"},     {25, "9"},   {29, "0"}, {48, "Tab"}, {123, "Left"},
        {124, "Right"}, {125, "Down"}, {126, "Up"}, {44, "/"}, {24, "="},   {27, "-"},
        {41, ";"},      {13, "W"},     {35, "P"}};
    const auto key = keys.find(s.carbonKeyCode);
    return modifierPrefix(s.carbonModifiers) +
           (key == keys.end() ? "#" + std::to_string(s.carbonKeyCode) : key->second);
}

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() {
        guiApplication();
        desktop.addScreen(FakeDesktop::makeScreen("S1", {0, 0, 1200, 800}));
        editor = desktop.addApp("Editor", "org.example.Editor");
        term = desktop.addApp("Terminal", "XTerm");
    }
    ~SettingsTest() override {
        window.reset();
        controller.reset();
        actions.reset();
        keys.reset();
        center.reset();
    }

    AppSettingsPlatform platform() {
        AppSettingsPlatform p;
        p.loginItem = LaunchAtLogin(autostartEntry(), "/usr/bin/morvanta");
        p.systemLog = [](const std::string&) {};
        return p;
    }
    std::filesystem::path autostartEntry() const {
        return std::filesystem::path(home.path().toStdString()) / "autostart" / "morvanta.desktop";
    }

    // Creates the controller and the shortcut actions and starts tiling.
    TilingController& start() {
        controller = std::make_unique<TilingController>(desktop.system(), loop, log, settings,
                                                        desktopBackend.controllerDevices(loop));
        center = std::make_unique<HotKeyCenter>(backend);
        keys = std::make_unique<KeyboardShortcuts>(storage, *center);
        actions = std::make_unique<ShortcutActions>(*keys, settings);
        controller->setLetterShortcuts(actions.get());
        controller->start();
        actions->installShortcuts(
            *controller, [] {}, [] {});
        actions->setShortcutsEnabled(settings.shortcutsEnabled());
        settle();
        return *controller;
    }
    void settle() { loop.advance(200ms); }

    RecorderPlatform recorderPlatform() {
        RecorderPlatform p;
        p.shortcutText = standInText;
        // The stand-in's native key event: the scan code is the key code, the native
        // modifiers the stored mask.
        p.shortcutForKeyEvent = [](quint32 code, quint32 mods) {
            return std::optional<Shortcut>(
                Shortcut{static_cast<int>(code), static_cast<int>(mods)});
        };
        p.isSystemShortcut = [this](const Shortcut& s) { return systemShortcuts.contains(s); };
        p.confirm = [this](const QString& warning) {
            warnings << warning;
            return confirmWarnings;
        };
        return p;
    }

    SettingsWindow& openWindow() {
        SettingsWindowServices services{*controller, settings, *actions};
        services.recorder = recorderPlatform();
        services.showOnboarding = [this] { ++onboardingShown; };
        services.showDiagnostics = [this] { ++diagnosticsShown; };
        services.exportSettings = [this] { ++exported; };
        services.importSettings = [this] { ++imported; };
        window = std::make_unique<SettingsWindow>(std::move(services));
        window->resize(860, 640);
        window->show();
        QApplication::processEvents();
        return *window;
    }

    std::optional<Shortcut> binding(const std::string& name) {
        return keys->shortcutFor(KeyboardShortcuts::Name{name, std::nullopt});
    }
    Rect frame(const AXWindow& w) { return desktop.frameOf(w).value_or(Rect{-1, -1, -1, -1}); }

    QTemporaryDir home;
    FakeDesktop desktop;
    FakeDesktopBackend desktopBackend{desktop};
    ManualRunLoop loop;
    DiagnosticsLog log{std::nullopt};
    MemoryPreferencesDomain domain;
    AppSettings settings{domain, platform()};
    FakeHotKeys backend;
    PreferencesShortcutStorage storage{domain};
    std::unique_ptr<HotKeyCenter> center;
    std::unique_ptr<KeyboardShortcuts> keys;
    std::unique_ptr<ShortcutActions> actions;
    std::unique_ptr<TilingController> controller;
    std::unique_ptr<SettingsWindow> window;
    std::unordered_set<Shortcut, ShortcutHash> systemShortcuts;
    QStringList warnings;
    bool confirmWarnings = false;
    std::int32_t editor = 0;
    std::int32_t term = 0;
    int onboardingShown = 0;
    int diagnosticsShown = 0;
    int exported = 0;
    int imported = 0;
};

} // namespace morvanta::testing
