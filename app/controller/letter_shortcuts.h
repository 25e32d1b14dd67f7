// LetterShortcuts: what the controller asks of the shortcut actions when letter workspaces come
// and go. The shortcut actions live in a module above the controller, so the controller knows
// them only through this interface; the application connects the two.
#pragma once

#include "app/settings/shortcut_style.h"

#include <vector>

namespace morvanta {

// Whether a letter workspace's two keys were free and are now bound to it.
struct LetterShortcutsAssigned {
    bool switchAssigned = false;
    bool moveAssigned = false;
    bool operator==(const LetterShortcutsAssigned&) const = default;
};

class LetterShortcuts {
public:
    virtual ~LetterShortcuts() = default;
    // The letter workspaces whose switch and move names are listed and attached.
    virtual void setLetterShortcutWorkspaces(const std::vector<int>& numbers) = 0;
    // Binds the letter's keys in the given style where no other action already uses them.
    virtual LetterShortcutsAssigned assignLetterShortcuts(int number, ShortcutStyle style) = 0;
    // Attaches the switch and move actions of one letter workspace.
    virtual void registerLetterHandlers(int number) = 0;
    // Unbinds the letter's keys and detaches its actions.
    virtual void clearLetterShortcuts(int number) = 0;
    // Enables or disables every named shortcut.
    virtual void setShortcutsEnabled(bool enabled) = 0;
};

} // namespace morvanta
