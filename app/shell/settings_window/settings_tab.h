// SettingsTab: the settings window's eight pages in sidebar order, with the raw value each is
// known by and the title the sidebar shows.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace morvanta {

enum class SettingsTab {
    general,
    layout,
    workspaces,
    displays,
    rules,
    shortcuts,
    appearance,
    advanced
};

inline constexpr std::array<SettingsTab, 8> allSettingsTabs = {
    SettingsTab::general, SettingsTab::layout,    SettingsTab::workspaces, SettingsTab::displays,
    SettingsTab::rules,   SettingsTab::shortcuts, SettingsTab::appearance, SettingsTab::advanced};

inline std::string_view rawValue(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return "general";
    case SettingsTab::layout:
        return "layout";
    case SettingsTab::workspaces:
        return "workspaces";
    case SettingsTab::displays:
        return "displays";
    case SettingsTab::rules:
        return "rules";
    case SettingsTab::shortcuts:
        return "shortcuts";
    case SettingsTab::appearance:
        return "appearance";
    case SettingsTab::advanced:
        return "advanced";
    }
    return "general";
}

inline std::string_view title(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return "General";
    case SettingsTab::layout:
        return "Layout";
    case SettingsTab::workspaces:
        return "Workspaces";
    case SettingsTab::displays:
        return "Displays";
    case SettingsTab::rules:
        return "App Rules";
    case SettingsTab::shortcuts:
        return "Shortcuts";
    case SettingsTab::appearance:
        return "Appearance";
    case SettingsTab::advanced:
        return "Advanced";
    }
    return "General";
}

inline std::optional<SettingsTab> settingsTabFromRaw(std::string_view raw) {
    for (SettingsTab tab : allSettingsTabs)
        if (rawValue(tab) == raw)
            return tab;
    return std::nullopt;
}

} // namespace morvanta
