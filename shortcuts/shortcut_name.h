// The name of an action that can be bound to a shortcut, with the combination it starts with.
// Known to callers as KeyboardShortcuts::Name.
#pragma once

#include "shortcuts/shortcut.h"

#include <optional>
#include <string>

namespace morvanta {

struct ShortcutName {
    std::string rawValue;
    std::optional<Shortcut> initialShortcut;

    // A name is identified by its raw value alone.
    friend bool operator==(const ShortcutName& a, const ShortcutName& b) {
        return a.rawValue == b.rawValue;
    }
};

struct ShortcutNameHash {
    std::size_t operator()(const ShortcutName& name) const noexcept {
        return std::hash<std::string>()(name.rawValue);
    }
};

} // namespace morvanta
