#include "app/settings/settings_file.h"

#include "core/workspace_numbers.h"

#include <nlohmann/json.hpp>

namespace morvanta {

namespace {

using nlohmann::json;

json toJson(const SettingsFile::Rule& rule) {
    json object = {{"bundleID", rule.bundleID},
                   {"appName", rule.appName},
                   {"floating", rule.floating},
                   {"noBorder", rule.noBorder}};
    if (rule.workspace)
        object["workspace"] = *rule.workspace;
    return object;
}

json toJson(const std::optional<SettingsFile::Binding>& binding) {
    if (!binding)
        return nullptr;
    return {{"carbonKeyCode", binding->carbonKeyCode},
            {"carbonModifiers", binding->carbonModifiers}};
}

} // namespace

std::string SettingsFile::label(int number) {
    return workspaceLabel(number);
}

std::optional<int> SettingsFile::numberFromLabel(std::string_view label) {
    if (label.size() == 1) {
        const char c = label.front();
        if (c >= 'A' && c <= 'Z')
            return firstLetterWorkspace + (c - 'A');
        if (c >= 'a' && c <= 'z')
            return firstLetterWorkspace + (c - 'a');
    }
    // "101" is a key, not a label: only the digit workspaces are written as numbers.
    const auto number = workspaceNumberFromKey(label);
    if (number && isDigitWorkspace(*number))
        return number;
    return std::nullopt;
}

std::string encodeSettingsFile(const SettingsFile& file) {
    // nlohmann::json keeps object members sorted by name.
    json document = {
        {"format", file.format},
        {"app", file.app},
        {"exportedAt", formatIso8601(file.exportedAt)},
        {"defaultLayout", file.defaultLayout},
        {"innerGap", file.innerGap},
        {"outerGap", file.outerGap},
        {"mainRatio", file.mainRatio},
        {"workspaceNames", file.workspaceNames},
        {"letterWorkspaces", file.letterWorkspaces},
        {"letterWorkspaceNames", file.letterWorkspaceNames},
        {"layouts", file.layouts},
        {"screens", file.screens},
        {"borderEnabled", file.borderEnabled},
        {"borderWidth", file.borderWidth},
        {"borderColor", file.borderColor},
        {"hideBorderWhileDragging", file.hideBorderWhileDragging},
        {"shortcutsEnabled", file.shortcutsEnabled},
        {"shortcutStyle", file.shortcutStyle},
    };
    if (file.appVersion)
        document["appVersion"] = *file.appVersion;
    json rules = json::array();
    for (const auto& rule : file.appRules)
        rules.push_back(toJson(rule));
    document["appRules"] = std::move(rules);
    json shortcuts = json::object();
    for (const auto& [name, binding] : file.shortcuts)
        shortcuts[name] = toJson(binding);
    document["shortcuts"] = std::move(shortcuts);
    // Text that is not valid UTF-8 (which the settings should never hold) is written with
    // replacement characters rather than making the export fail.
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

} // namespace morvanta
