// The settings window over the fake desktop's controller and its shortcut actions (grabs only
// recorded). Shortcuts print and key events convert through a small stand-in table, so
// everything runs on Qt's offscreen platform.
#pragma once

#include "app/shell/settings_window/settings_window.h"
#include "tests/commands/shortcut_actions_fixture.h"
#include "tests/support/gui_application.h"

#include <map>
#include <memory>
#include <unordered_set>

namespace morvanta::testing {

// Key codes of the stand-in table.
inline constexpr int keyA = 0, keyC = 8, keyD = 2, keyK = 40, key1 = 18, key2 = 19;

template <class Range, class T> bool has(const Range& range, const T& value) {
    return std::ranges::find(range, value) != std::ranges::end(range);
}

// "Alt+K": the modifiers, then the key's letter or digit from a table of the keys tests use.
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

class SettingsTest : public ShortcutActionsTest {
protected:
    SettingsTest() { guiApplication(); }
    ~SettingsTest() override { window.reset(); }

    // Creates the controller and the shortcut actions and starts tiling.
    TilingController& start() {
        launch();
        settle();
        return *controller;
    }

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

    std::unique_ptr<SettingsWindow> window;
    std::unordered_set<Shortcut, ShortcutHash> systemShortcuts;
    QStringList warnings;
    bool confirmWarnings = false;
    int onboardingShown = 0;
    int diagnosticsShown = 0;
    int exported = 0;
    int imported = 0;
};

} // namespace morvanta::testing
