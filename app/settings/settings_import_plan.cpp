#include "app/settings/settings_import_plan.h"

#include "core/workspace_numbers.h"

#include <algorithm>

namespace morvanta {

namespace {

// Label keys become decimal number keys; keys that name no workspace are dropped.
SettingsImportPlan::StringMap byNumber(const SettingsFile::StringMap& byLabel) {
    SettingsImportPlan::StringMap out;
    for (const auto& [label, value] : byLabel)
        if (const auto number = SettingsFile::numberFromLabel(label))
            out[std::to_string(*number)] = value;
    return out;
}

std::vector<int> letterNumbers(const std::vector<std::string>& labels) {
    std::vector<int> numbers;
    for (const auto& label : labels)
        if (const auto number = SettingsFile::numberFromLabel(label);
            number && isLetterWorkspace(*number))
            numbers.push_back(*number);
    std::ranges::sort(numbers);
    // std::unique, not std::ranges::unique: Clang 14 cannot use the subrange the latter answers
    // with Debian 12's standard library.
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::optional<ShortcutStyle> styleNamed(const std::string& name) {
    for (const ShortcutStyle style : allShortcutStyles)
        if (rawValue(style) == name)
            return style;
    return std::nullopt;
}

} // namespace

SettingsImportPlan SettingsImportPlan::from(const SettingsFile& file) {
    SettingsImportPlan plan;
    plan.letterWorkspaces = letterNumbers(file.letterWorkspaces);
    plan.defaultLayout = layoutKindFromRaw(file.defaultLayout);
    plan.innerGap = file.innerGap;
    plan.outerGap = file.outerGap;
    plan.mainRatio = file.mainRatio;
    plan.workspaceNames = file.workspaceNames;
    for (const int letter : plan.letterWorkspaces) {
        const auto name = file.letterWorkspaceNames.find(workspaceLabel(letter));
        if (name != file.letterWorkspaceNames.end())
            plan.letterWorkspaceNames.insert(*name);
    }
    for (const auto& rule : file.appRules) {
        auto workspace =
            rule.workspace ? SettingsFile::numberFromLabel(*rule.workspace) : std::nullopt;
        // A letter workspace the file does not create would send the windows nowhere; the
        // rule loses its workspace, as it does when that workspace is removed.
        if (workspace && isLetterWorkspace(*workspace) &&
            !std::ranges::binary_search(plan.letterWorkspaces, *workspace))
            workspace.reset();
        plan.appRules.push_back(
            AppRule{rule.bundleID, rule.appName, workspace, rule.floating, rule.noBorder});
    }
    plan.borderEnabled = file.borderEnabled;
    plan.borderWidth = file.borderWidth;
    plan.borderColorHex = file.borderColor;
    plan.hideBorderWhileDragging = file.hideBorderWhileDragging;
    plan.layouts = byNumber(file.layouts);
    plan.screens = byNumber(file.screens);
    plan.shortcutStyle = styleNamed(file.shortcutStyle);
    plan.bindings = file.shortcuts;
    plan.shortcutsEnabled = file.shortcutsEnabled;
    plan.exportedAt = file.exportedAt;
    return plan;
}

} // namespace morvanta
