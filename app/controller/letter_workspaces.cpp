#include "app/controller/letter_workspaces.h"

#include "app/controller/layout_applier.h"
#include "app/controller/summary_publisher.h"
#include "core/workspace_numbers.h"

#include <algorithm>

namespace morvanta {

void LetterWorkspaces::setShortcuts(LetterShortcuts* shortcuts) {
    shortcuts_ = shortcuts;
    if (shortcuts_)
        shortcuts_->setLetterShortcutWorkspaces(state_.manager.letterWorkspaces());
}

bool LetterWorkspaces::exists(int number) const {
    return std::ranges::binary_search(state_.manager.letterWorkspaces(), number);
}

LetterShortcutsAssigned LetterWorkspaces::add(int number) {
    if (!isLetterWorkspace(number) || exists(number))
        return {};
    auto letters = state_.manager.letterWorkspaces();
    letters.push_back(number);
    state_.manager.setLetterWorkspaces(letters);
    state_.settings.setLetterWorkspaces(state_.manager.letterWorkspaces());

    LetterShortcutsAssigned assigned;
    if (shortcuts_) {
        shortcuts_->setLetterShortcutWorkspaces(state_.manager.letterWorkspaces());
        assigned = shortcuts_->assignLetterShortcuts(number, state_.settings.shortcutStyle());
        shortcuts_->registerLetterHandlers(number);
        shortcuts_->setShortcutsEnabled(state_.settings.shortcutsEnabled());
    }
    state_.log.append("Added workspace " + workspaceLabel(number) + ".");
    summaries_.publish();
    return assigned;
}

void LetterWorkspaces::remove(int number) {
    if (!exists(number))
        return;
    auto letters = state_.manager.letterWorkspaces();
    std::erase(letters, number);
    // The manager moves the workspace's windows to what its display shows afterwards.
    state_.manager.setLetterWorkspaces(letters);
    state_.settings.setLetterWorkspaces(state_.manager.letterWorkspaces());
    state_.settings.setWorkspaceDisplays(state_.manager.assignmentStrings());
    state_.settings.setLayoutsByWorkspace(state_.manager.layoutStrings());

    auto names = state_.settings.letterWorkspaceNames();
    if (names.erase(workspaceLabel(number)) > 0)
        state_.settings.setLetterWorkspaceNames(std::move(names));
    clearRulesNaming(number);

    if (shortcuts_) {
        shortcuts_->clearLetterShortcuts(number);
        shortcuts_->setLetterShortcutWorkspaces(state_.manager.letterWorkspaces());
    }
    state_.log.append("Removed workspace " + workspaceLabel(number) + ".");
    applier_.apply(false);
}

// Rules that send windows to a workspace that no longer exists would send them nowhere.
void LetterWorkspaces::clearRulesNaming(int number) {
    auto rules = state_.settings.appRules();
    bool changed = false;
    for (auto& rule : rules)
        if (rule.workspace == number) {
            rule.workspace.reset();
            changed = true;
        }
    if (changed)
        state_.settings.setAppRules(std::move(rules));
}

} // namespace morvanta
