// SettingsWindowServices: what the settings window works on and the application's actions it
// runs. The controller, settings and shortcut actions must outlive the window; the updater is
// optional (none: the update switches are replaced by a note). Empty actions hide nothing but
// do nothing when clicked.
#pragma once

#include "app/shell/settings_window/shortcut_recorder.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

class AppSettings;
class ShortcutActions;
class TilingController;
class Updater;

// An application a rule can name: its identifier (the class part of WM_CLASS) and its name.
struct RuleApplication {
    std::string identifier;
    std::string name;
    bool operator==(const RuleApplication&) const = default;
};

struct SettingsWindowServices {
    SettingsWindowServices(TilingController& controller, AppSettings& settings,
                           ShortcutActions& shortcutActions)
        : controller(controller), settings(settings), shortcutActions(shortcutActions) {}

    TilingController& controller;
    AppSettings& settings;
    ShortcutActions& shortcutActions;
    Updater* updater = nullptr;
    // The key handling of the shortcut recorders (see RecorderPlatform).
    RecorderPlatform recorder;

    std::function<void()> showOnboarding;
    std::function<void()> showDiagnostics;
    // The settings-file commands.
    std::function<void()> exportSettings;
    std::function<void()> importSettings;
    // The applications offered by "Add App"; empty: the applications whose windows the
    // controller knows.
    std::function<std::vector<RuleApplication>()> runningApplications;
    // "Choose from Applications…"; empty: a file dialog over the desktop entries.
    std::function<std::optional<RuleApplication>()> chooseApplication;
};

} // namespace morvanta
