// SettingsImportPlan: everything an import will set, worked out from a settings file before
// the first setting changes. Workspace labels become numbers here, letter workspaces are
// narrowed to A … Z, names for letters the file does not create are dropped and unknown layout
// and style names are left out, so carrying the plan out cannot fail half-way.
#pragma once

#include "app/settings/app_rule.h"
#include "app/settings/settings_file.h"
#include "app/settings/shortcut_style.h"
#include "core/core.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

struct SettingsImportPlan {
    using StringMap = std::map<std::string, std::string>;

    // Ascending, without repeats, all within 101 … 126.
    std::vector<int> letterWorkspaces;
    // None when the file names no layout Morvanta knows: the current one stays.
    std::optional<LayoutKind> defaultLayout;
    double innerGap = 0;
    double outerGap = 0;
    double mainRatio = 0;
    std::vector<std::string> workspaceNames;
    // Only entries whose key is the letter of one of letterWorkspaces.
    StringMap letterWorkspaceNames;
    // Workspaces by number; none for a label that names no workspace, or a letter workspace
    // that is not among letterWorkspaces.
    std::vector<AppRule> appRules;
    bool borderEnabled = true;
    double borderWidth = 0;
    std::string borderColorHex;
    bool hideBorderWhileDragging = false;
    // Keyed by decimal workspace number, as the settings store keeps them.
    StringMap layouts;
    StringMap screens;
    // None for a style name Morvanta does not know: the current style stays.
    std::optional<ShortcutStyle> shortcutStyle;
    // Action name → binding (none: unbound). Actions the file does not list keep theirs.
    std::map<std::string, std::optional<SettingsFile::Binding>> bindings;
    bool shortcutsEnabled = true;
    SettingsFileTime exportedAt{};

    static SettingsImportPlan from(const SettingsFile& file);
};

} // namespace morvanta
