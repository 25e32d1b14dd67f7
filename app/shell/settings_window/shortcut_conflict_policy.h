// What the shortcut recorder does with a combination that clashes: one of Morvanta's own menu
// items uses it, another program already holds it globally, or it cannot be a global shortcut
// at all (it would take over ordinary typing). Each can block the combination, warn and let the
// user decide, or allow it silently. A validation callback may refuse a combination for a
// reason of its own.
#pragma once

#include "shortcuts/shortcut.h"

#include <functional>
#include <string>

namespace morvanta {

enum class ConflictBehavior { block, warn, allow };

struct ConflictPolicy {
    ConflictBehavior menuItem = ConflictBehavior::block;
    ConflictBehavior systemShortcut = ConflictBehavior::warn;
    ConflictBehavior disallowed = ConflictBehavior::block;
};

struct ShortcutValidation {
    bool allowed = true;
    // Shown to the user when the combination is refused.
    std::string reason;

    static ShortcutValidation allow() { return {}; }
    static ShortcutValidation disallow(std::string why) { return {false, std::move(why)}; }
};

using ShortcutValidator = std::function<ShortcutValidation(const Shortcut& shortcut)>;

} // namespace morvanta
