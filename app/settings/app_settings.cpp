#include "app/settings/app_settings.h"

#include "app/settings/desktop_entry_names.h"

#include <cmath>
#include <iostream>

namespace morvanta {

namespace {

PreferenceValue integers(const std::vector<int>& numbers) {
    PreferenceValue::Array array;
    for (int number : numbers)
        array.emplace_back(number);
    return array;
}

AppSettingsPlatform completed(AppSettingsPlatform platform) {
    if (!platform.appDisplayName)
        platform.appDisplayName = [](const std::string& identifier) {
            return DesktopEntryNames().displayName(identifier);
        };
    if (!platform.loginItem)
        platform.loginItem.emplace();
    if (!platform.systemLog)
        platform.systemLog = [](const std::string& line) { std::cerr << line << std::endl; };
    return platform;
}

template <class T> bool same(const T& a, const T& b) {
    return a == b;
}
bool same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

AppSettings::AppSettings(PreferencesDomain& defaults) : AppSettings(defaults, {}) {}

AppSettings::AppSettings(PreferencesDomain& defaults, AppSettingsPlatform platform)
    : defaults_(defaults), platform_(completed(std::move(platform))) {
    load();
}

std::vector<AppRule> AppSettings::builtInRules() {
    // The identifiers are the WM_CLASS class names GNOME's Settings and Calculator report.
    return {
        AppRule{"gnome-control-center", "Settings", std::nullopt, true, false},
        AppRule{"gnome-calculator", "Calculator", std::nullopt, true, false},
    };
}

template <class T>
void AppSettings::assign(T& field, T value, SettingsField which, PreferenceValue stored) {
    bool changed = !same(field, value);
    field = std::move(value);
    defaults_.set(preferenceKey(which), std::move(stored));
    if (changed)
        notify(which);
    if (callsOnChange(which) && onChange)
        onChange();
}

void AppSettings::setDefaultLayout(LayoutKind layout) {
    assign(defaultLayout_, layout, SettingsField::defaultLayout, std::string(rawValue(layout)));
}

void AppSettings::setInnerGap(double gap) {
    if (std::isfinite(gap))
        assign(innerGap_, gap, SettingsField::innerGap, gap);
}

void AppSettings::setOuterGap(double gap) {
    if (std::isfinite(gap))
        assign(outerGap_, gap, SettingsField::outerGap, gap);
}

void AppSettings::setMainRatio(double ratio) {
    if (std::isfinite(ratio))
        assign(mainRatio_, ratio, SettingsField::mainRatio, ratio);
}

void AppSettings::setWorkspaceNames(std::vector<std::string> names) {
    auto stored = PreferenceValue::fromStrings(names);
    assign(workspaceNames_, std::move(names), SettingsField::workspaceNames, std::move(stored));
}

void AppSettings::setLayoutsByWorkspace(StringMap layouts) {
    auto stored = PreferenceValue::fromStringDictionary(layouts);
    assign(layoutsByWorkspace_, std::move(layouts), SettingsField::layoutsByWorkspace,
           std::move(stored));
}

void AppSettings::setWorkspaceDisplays(StringMap displays) {
    auto stored = PreferenceValue::fromStringDictionary(displays);
    assign(workspaceDisplays_, std::move(displays), SettingsField::workspaceDisplays,
           std::move(stored));
}

void AppSettings::setLetterWorkspaces(std::vector<int> numbers) {
    auto stored = integers(numbers);
    assign(letterWorkspaces_, std::move(numbers), SettingsField::letterWorkspaces,
           std::move(stored));
}

void AppSettings::setLetterWorkspaceNames(StringMap names) {
    auto stored = PreferenceValue::fromStringDictionary(names);
    assign(letterWorkspaceNames_, std::move(names), SettingsField::letterWorkspaceNames,
           std::move(stored));
}

void AppSettings::setAppRules(std::vector<AppRule> rules) {
    PreferenceValue stored = AppRule::encodeList(rules);
    assign(appRules_, std::move(rules), SettingsField::appRules, std::move(stored));
}

void AppSettings::setBorderEnabled(bool enabled) {
    assign(borderEnabled_, enabled, SettingsField::borderEnabled, enabled);
}

void AppSettings::setBorderWidth(double width) {
    if (std::isfinite(width))
        assign(borderWidth_, width, SettingsField::borderWidth, width);
}

void AppSettings::setBorderColorHex(std::string hex) {
    PreferenceValue stored = hex;
    assign(borderColorHex_, std::move(hex), SettingsField::borderColorHex, std::move(stored));
}

void AppSettings::setHideBorderWhileDragging(bool hide) {
    assign(hideBorderWhileDragging_, hide, SettingsField::hideBorderWhileDragging, hide);
}

void AppSettings::setShortcutsEnabled(bool enabled) {
    assign(shortcutsEnabled_, enabled, SettingsField::shortcutsEnabled, enabled);
    if (shortcutsEnabledFollowUp)
        shortcutsEnabledFollowUp(enabled);
}

void AppSettings::setShortcutStyle(ShortcutStyle style) {
    bool changed = style != shortcutStyle_;
    assign(shortcutStyle_, style, SettingsField::shortcutStyle, std::string(rawValue(style)));
    if (changed && shortcutStyleFollowUp)
        shortcutStyleFollowUp(style);
}

void AppSettings::setOnboardingCompleted(bool completed) {
    assign(onboardingCompleted_, completed, SettingsField::onboardingCompleted, completed);
}

bool AppSettings::launchAtLogin() const {
    return platform_.loginItem->enabled();
}

void AppSettings::setLaunchAtLogin(bool enabled) {
    bool before = launchAtLogin();
    std::string error;
    if (!platform_.loginItem->setEnabled(enabled, &error))
        platform_.systemLog("Morvanta: launch at login change failed: " + error);
    if (launchAtLogin() != before)
        notify(SettingsField::launchAtLogin);
}

std::string AppSettings::workspaceName(int number) const {
    if (isLetterWorkspace(number)) {
        auto found = letterWorkspaceNames_.find(workspaceLabel(number));
        return found == letterWorkspaceNames_.end() ? std::string() : found->second;
    }
    if (number >= 1 && static_cast<std::size_t>(number) <= workspaceNames_.size())
        return workspaceNames_[static_cast<std::size_t>(number) - 1];
    return {};
}

void AppSettings::setWorkspaceName(const std::string& name, int number) {
    if (isLetterWorkspace(number)) {
        StringMap names = letterWorkspaceNames_;
        if (name.empty())
            names.erase(workspaceLabel(number));
        else
            names[workspaceLabel(number)] = name;
        setLetterWorkspaceNames(std::move(names));
    } else if (number >= 1 && static_cast<std::size_t>(number) <= workspaceNames_.size()) {
        std::vector<std::string> names = workspaceNames_;
        names[static_cast<std::size_t>(number) - 1] = name;
        setWorkspaceNames(std::move(names));
    }
}

std::string AppSettings::workspaceDisplayName(int number) const {
    std::string name = workspaceName(number);
    if (name.empty())
        return "Workspace " + workspaceLabel(number);
    return workspaceLabel(number) + " · " + name;
}

std::optional<AppRule>
AppSettings::ruleForBundleID(std::optional<std::string_view> bundleID) const {
    if (!bundleID)
        return std::nullopt;
    for (const auto& rule : appRules_)
        if (rule.bundleID == *bundleID)
            return rule;
    return std::nullopt;
}

void AppSettings::notify(SettingsField field) {
    observers_.notify(field);
}

} // namespace morvanta
