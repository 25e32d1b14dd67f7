#include "app/controller/letter_workspaces.h"

#include "app/controller/layout_applier.h"
#include "app/controller/summary_publisher.h"
#include "core/workspace_numbers.h"

#include <algorithm>

namespace morvanta {

void LetterWorkspaces::setShortcuts(LetterShortcuts* shortcuts) {
    shortcuts_ = shortcuts;
    if (shortcuts_)
        shortcuts_->setLetterShortcutWorkspaces(s_.manager.letterWorkspaces());
}

bool LetterWorkspaces::exists(int number) const {
    return std::ranges::binary_search(s_.manager.letterWorkspaces(), number);
}

LetterShortcutsAssigned LetterWorkspaces::add(int number) {
    if (!isLetterWorkspace(number) || exists(number))
        return {};
    auto letters = s_.manager.letterWorkspaces();
    letters.push_back(number);
    s_.manager.setLetterWorkspaces(letters);
    s_.settings.setLetterWorkspaces(s_.manager.letterWorkspaces());

    LetterShortcutsAssigned assigned;
    if (shortcuts_) {
        shortcuts_->setLetterShortcutWorkspaces(s_.manager.letterWorkspaces());
        assigned = shortcuts_->assignLetterShortcuts(number, s_.settings.shortcutStyle());
        shortcuts_->registerLetterHandlers(number);
        shortcuts_->setShortcutsEnabled(s_.settings.shortcutsEnabled());
    }
    s_.log.append("Added workspace " + workspaceLabel(number) + ".");
    summaries_.publish();
    return assigned;
}

void LetterWorkspaces::remove(int number) {
    if (!exists(number))
        return;
    auto letters = s_.manager.letterWorkspaces();
    std::erase(letters, number);
    // The manager moves the workspace's windows to what its display shows afterwards.
    s_.manager.setLetterWorkspaces(letters);
    s_.settings.setLetterWorkspaces(s_.manager.letterWorkspaces());
    s_.settings.setWorkspaceDisplays(s_.manager.assignmentStrings());
    s_.settings.setLayoutsByWorkspace(s_.manager.layoutStrings());

    auto names = s_.settings.letterWorkspaceNames();
    if (names.erase(workspaceLabel(number)) > 0)
        s_.settings.setLetterWorkspaceNames(std::move(names));
    clearRulesNaming(number);

    if (shortcuts_) {
        shortcuts_->clearLetterShortcuts(number);
        shortcuts_->setLetterShortcutWorkspaces(s_.manager.letterWorkspaces());
    }
    s_.log.append("Removed workspace " + workspaceLabel(number) + ".");
    applier_.apply(false);
}

// Rules that send windows to a workspace that no longer exists would send them nowhere.
void LetterWorkspaces::clearRulesNaming(int number) {
    auto rules = s_.settings.appRules();
    bool changed = false;
    for (auto& rule : rules)
        if (rule.workspace == number) {
            rule.workspace.reset();
            changed = true;
        }
    if (changed)
        s_.settings.setAppRules(std::move(rules));
}

} // namespace morvanta
