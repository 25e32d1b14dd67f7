// SettingsField: the fields of AppSettings, with the preference key each is stored under and
// whether assigning it runs the settings' onChange callback.
#pragma once

#include <string_view>

namespace morvanta {

enum class SettingsField {
    defaultLayout,
    innerGap,
    outerGap,
    mainRatio,
    workspaceNames,
    layoutsByWorkspace,
    workspaceDisplays,
    letterWorkspaces,
    letterWorkspaceNames,
    appRules,
    borderEnabled,
    borderWidth,
    borderColorHex,
    hideBorderWhileDragging,
    shortcutsEnabled,
    shortcutStyle,
    onboardingCompleted,
    launchAtLogin, // not stored in the preferences domain
};

inline std::string_view preferenceKey(SettingsField field) {
    switch (field) {
    case SettingsField::defaultLayout:
        return "defaultLayout";
    case SettingsField::innerGap:
        return "innerGap";
    case SettingsField::outerGap:
        return "outerGap";
    case SettingsField::mainRatio:
        return "mainRatio";
    case SettingsField::workspaceNames:
        return "workspaceNames";
    case SettingsField::layoutsByWorkspace:
        return "layoutsByWorkspace";
    case SettingsField::workspaceDisplays:
        return "workspaceDisplays";
    case SettingsField::letterWorkspaces:
        return "letterWorkspaces";
    case SettingsField::letterWorkspaceNames:
        return "letterWorkspaceNames";
    case SettingsField::appRules:
        return "appRules";
    case SettingsField::borderEnabled:
        return "borderEnabled";
    case SettingsField::borderWidth:
        return "borderWidth";
    case SettingsField::borderColorHex:
        return "borderColor";
    case SettingsField::hideBorderWhileDragging:
        return "hideBorderWhileDragging";
    case SettingsField::shortcutsEnabled:
        return "shortcutsEnabled";
    case SettingsField::shortcutStyle:
        return "shortcutStyle";
    case SettingsField::onboardingCompleted:
        return "onboardingCompleted";
    case SettingsField::launchAtLogin:
        return "";
    }
    return "";
}

// The display split, letter workspaces, per-workspace layouts and first-run state are
// persisted without asking the controller to re-apply.
inline bool callsOnChange(SettingsField field) {
    switch (field) {
    case SettingsField::layoutsByWorkspace:
    case SettingsField::workspaceDisplays:
    case SettingsField::letterWorkspaces:
    case SettingsField::onboardingCompleted:
    case SettingsField::launchAtLogin:
        return false;
    default:
        return true;
    }
}

// Legacy keys: read when their successors are missing, never written.
inline constexpr std::string_view legacyWorkspaceLayoutsKey = "workspaceLayouts";
inline constexpr std::string_view legacyAppWorkspaceRulesKey = "appWorkspaceRules";

} // namespace morvanta
