// AppSettings' loading steps: every field from its key, wrong kinds giving the default, and
// the two legacy keys migrated in memory (nothing is written back while loading).
#include "app/settings/app_settings.h"

#include <algorithm>
#include <cmath>

namespace morvanta {

namespace {

std::optional<double> finiteNumber(const PreferencesDomain& domain, SettingsField field) {
    auto number = domain.number(preferenceKey(field));
    if (number && std::isfinite(*number))
        return number;
    return std::nullopt;
}

std::optional<bool> storedBoolean(const PreferencesDomain& domain, SettingsField field) {
    auto value = domain.object(preferenceKey(field));
    return value ? value->asBoolean() : std::nullopt;
}

std::optional<AppSettings::StringMap> stringMap(const PreferencesDomain& domain,
                                                std::string_view key) {
    auto value = domain.object(key);
    return value ? value->asStringDictionary() : std::nullopt;
}

std::vector<int> letterNumbers(const PreferencesDomain& domain) {
    auto array = domain.array(preferenceKey(SettingsField::letterWorkspaces));
    if (!array)
        return {};
    std::vector<int> numbers;
    for (const auto& element : *array) {
        auto number = element.asInteger();
        if (!number)
            return {}; // one element that is not an integer spoils the whole list
        if (*number >= firstLetterWorkspace && *number <= lastLetterWorkspace)
            numbers.push_back(static_cast<int>(*number));
    }
    return numbers;
}

} // namespace

void AppSettings::load() {
    auto layout = defaults_.string(preferenceKey(SettingsField::defaultLayout));
    defaultLayout_ =
        layout ? layoutKindFromRaw(*layout).value_or(LayoutKind::mainStack) : LayoutKind::mainStack;
    innerGap_ = finiteNumber(defaults_, SettingsField::innerGap).value_or(0);
    outerGap_ = finiteNumber(defaults_, SettingsField::outerGap).value_or(0);
    mainRatio_ = finiteNumber(defaults_, SettingsField::mainRatio).value_or(0.58);
    workspaceNames_ = defaults_.stringArray(preferenceKey(SettingsField::workspaceNames))
                          .value_or(std::vector<std::string>(9));
    loadLayouts();
    workspaceDisplays_ =
        stringMap(defaults_, preferenceKey(SettingsField::workspaceDisplays)).value_or(StringMap{});
    letterWorkspaceNames_ = stringMap(defaults_, preferenceKey(SettingsField::letterWorkspaceNames))
                                .value_or(StringMap{});
    letterWorkspaces_ = letterNumbers(defaults_);
    borderEnabled_ = storedBoolean(defaults_, SettingsField::borderEnabled).value_or(true);
    borderWidth_ = finiteNumber(defaults_, SettingsField::borderWidth).value_or(4);
    borderColorHex_ =
        defaults_.string(preferenceKey(SettingsField::borderColorHex)).value_or("#2A8FD8");
    hideBorderWhileDragging_ =
        defaults_.boolean(preferenceKey(SettingsField::hideBorderWhileDragging));
    shortcutsEnabled_ = storedBoolean(defaults_, SettingsField::shortcutsEnabled).value_or(true);
    shortcutStyle_ =
        defaults_.string(preferenceKey(SettingsField::shortcutStyle)) == "controlOption"
            ? ShortcutStyle::controlOption
            : ShortcutStyle::option;
    onboardingCompleted_ = defaults_.boolean(preferenceKey(SettingsField::onboardingCompleted));
    loadRules();
}

void AppSettings::loadLayouts() {
    // The legacy form keyed layouts by display; its first display's map is the one kept.
    std::optional<StringMap> legacy;
    if (auto displays = defaults_.dictionary(legacyWorkspaceLayoutsKey)) {
        bool allMaps = std::ranges::all_of(*displays, [](const auto& entry) {
            return entry.second.asStringDictionary().has_value();
        });
        if (allMaps && !displays->empty())
            legacy = displays->begin()->second.asStringDictionary();
    }
    if (auto layouts = stringMap(defaults_, preferenceKey(SettingsField::layoutsByWorkspace)))
        layoutsByWorkspace_ = std::move(*layouts);
    else
        layoutsByWorkspace_ = legacy.value_or(StringMap{});
}

void AppSettings::loadRules() {
    if (auto data = defaults_.data(preferenceKey(SettingsField::appRules))) {
        if (auto rules = AppRule::decodeList(*data)) {
            appRules_ = std::move(*rules);
            return;
        }
    }
    appRules_ = builtInRules();
    auto legacy = defaults_.dictionary(legacyAppWorkspaceRulesKey);
    if (!legacy)
        return;
    std::vector<std::pair<std::string, int>> entries;
    for (const auto& [identifier, value] : *legacy) {
        auto number = value.asInteger();
        if (!number || *number < INT32_MIN || *number > INT32_MAX)
            return; // every value must be a workspace number
        entries.emplace_back(identifier, static_cast<int>(*number));
    }
    // std::map iterates in ascending byte order of the identifiers already.
    for (const auto& [identifier, workspace] : entries)
        appRules_.push_back(
            AppRule{identifier, platform_.appDisplayName(identifier), workspace, false, false});
}

} // namespace morvanta
