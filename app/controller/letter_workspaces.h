// LetterWorkspaces: adding and removing the letter workspaces A to Z (101 to 126). Each change
// touches three places at once and keeps them in step: the workspace manager, the settings
// (the list, names, layouts, display assignment and app rules) and the shortcut actions, which
// keep their own copy of the list to know which letter names to list and attach.
#pragma once

#include "app/controller/controller_state.h"
#include "app/controller/letter_shortcuts.h"

namespace morvanta {

class LayoutApplier;
class SummaryPublisher;

class LetterWorkspaces {
public:
    LetterWorkspaces(ControllerState& state, LayoutApplier& applier, SummaryPublisher& summaries)
        : state_(state), applier_(applier), summaries_(summaries) {}

    // Connects the shortcut actions (none: disconnects) and hands them the current list.
    void setShortcuts(LetterShortcuts* shortcuts);

    // Adds the letter workspace and gives it its keys where they are free. Numbers outside
    // 101 to 126 and letters that already exist change nothing and answer two falses.
    LetterShortcutsAssigned add(int number);
    // Removes the letter workspace; its windows go to what its display shows now. Numbers
    // that are not letter workspaces change nothing.
    void remove(int number);

private:
    bool exists(int number) const;
    void clearRulesNaming(int number);

    ControllerState& state_;
    LayoutApplier& applier_;
    SummaryPublisher& summaries_;
    LetterShortcuts* shortcuts_ = nullptr;
};

} // namespace morvanta
