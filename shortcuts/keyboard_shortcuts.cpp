#include "shortcuts/keyboard_shortcuts.h"

#include <algorithm>

namespace morvanta {

KeyboardShortcuts::KeyboardShortcuts(ShortcutStorage& storage, HotKeyCenter& center)
    : storage_(storage), center_(center) {}

KeyboardShortcuts::~KeyboardShortcuts() {
    for (auto& [shortcut, hotKey] : hotKeys_) {
        center_.unregisterHotKey(*hotKey);
    }
}

std::string KeyboardShortcuts::storageKey(const Name& name) {
    return storageKeyPrefix + name.rawValue;
}

void KeyboardShortcuts::introduce(const Name& name) {
    auto known = names_.find(name.rawValue);
    if (known == names_.end() || (!known->second.initialShortcut && name.initialShortcut)) {
        names_[name.rawValue] = name;
    }
    if (name.initialShortcut && !storage_.value(storageKey(name))) {
        storage_.setValue(storageKey(name), name.initialShortcut->toJson());
    }
}

std::optional<Shortcut> KeyboardShortcuts::shortcutFor(const Name& name) {
    introduce(name);
    auto stored = storage_.value(storageKey(name));
    if (!stored || !stored->is_string()) {
        return std::nullopt;
    }
    return Shortcut::fromJson(stored->get<std::string>());
}

void KeyboardShortcuts::storeShortcut(const std::optional<Shortcut>& shortcut, const Name& name) {
    introduce(name);
    if (shortcut) {
        storage_.setValue(storageKey(name), shortcut->toJson());
        refused_.erase(*shortcut);
    } else if (names_[name.rawValue].initialShortcut) {
        storage_.setValue(storageKey(name), false);
    } else {
        storage_.removeValue(storageKey(name));
    }
    synchronize();
    changeObservers_.notify(name);
}

void KeyboardShortcuts::addKeyDownHandler(const Name& name, Handler handler) {
    introduce(name);
    handlers_[name.rawValue].push_back(std::move(handler));
    if (auto shortcut = shortcutFor(name)) {
        refused_.erase(*shortcut);
    }
    synchronize();
}

void KeyboardShortcuts::removeHandlers(const Name& name) {
    handlers_.erase(name.rawValue);
    synchronize();
}

void KeyboardShortcuts::enableNames(const std::vector<Name>& names) {
    for (const auto& name : names) {
        introduce(name);
        disabled_.erase(name.rawValue);
        if (auto shortcut = shortcutFor(name)) {
            refused_.erase(*shortcut);
        }
    }
    synchronize();
}

void KeyboardShortcuts::disableNames(const std::vector<Name>& names) {
    for (const auto& name : names) {
        disabled_.insert(name.rawValue);
    }
    synchronize();
}

bool KeyboardShortcuts::isDisabled(const Name& name) const {
    return disabled_.count(name.rawValue) != 0;
}

bool KeyboardShortcuts::isActive(const Name& name) {
    auto shortcut = shortcutFor(name);
    if (!shortcut || isDisabled(name) || handlers_.count(name.rawValue) == 0) {
        return false;
    }
    auto found = hotKeys_.find(*shortcut);
    return found != hotKeys_.end() && found->second->isRegistered;
}

std::vector<std::string> KeyboardShortcuts::namesBoundTo(const Shortcut& shortcut) const {
    const auto bound = bound_.find(shortcut);
    if (bound == bound_.end()) {
        return {};
    }
    // Sorted: the handlers' map has no order, and a registration's name must not change.
    auto names = bound->second;
    std::ranges::sort(names);
    return names;
}

std::unordered_map<Shortcut, std::vector<std::string>, ShortcutHash>
KeyboardShortcuts::wantedCombinations() {
    std::unordered_map<Shortcut, std::vector<std::string>, ShortcutHash> wanted;
    for (const auto& [rawValue, handlers] : handlers_) {
        if (handlers.empty() || disabled_.count(rawValue) != 0) {
            continue;
        }
        if (auto shortcut = shortcutFor(names_[rawValue])) {
            wanted[*shortcut].push_back(rawValue);
        }
    }
    return wanted;
}

// Computes the combinations wanted now, withdraws the ones no longer wanted and registers the
// new ones; a combination shared by several names keeps its single registration.
void KeyboardShortcuts::synchronize() {
    auto wanted = wantedCombinations();
    bound_ = wanted;
    for (auto it = hotKeys_.begin(); it != hotKeys_.end();) {
        if (wanted.count(it->first) == 0) {
            center_.unregisterHotKey(*it->second);
            it = hotKeys_.erase(it);
        } else {
            ++it;
        }
    }
    std::erase_if(refused_, [&](const Shortcut& shortcut) { return wanted.count(shortcut) == 0; });
    std::vector<Shortcut> failed;
    for (const auto& [shortcut, names] : wanted) {
        if (hotKeys_.count(shortcut) != 0 || refused_.count(shortcut) != 0) {
            continue;
        }
        auto hotKey = std::make_shared<HotKey>();
        hotKey->carbonKeyCode = shortcut.carbonKeyCode;
        hotKey->carbonModifiers = shortcut.carbonModifiers;
        Shortcut combination = shortcut;
        hotKey->onKeyDown = [this, combination] { fire(combination); };
        hotKey->onRegistrationFailed = [this, combination] { reportFailure(combination); };
        if (center_.registerHotKey(hotKey)) {
            hotKeys_[shortcut] = hotKey;
        } else {
            refused_.insert(shortcut);
            failed.push_back(shortcut);
        }
    }
    for (const auto& shortcut : failed) {
        reportFailure(shortcut);
    }
}

// Runs the handlers of every enabled name bound to the combination. The list is taken first:
// a handler may change bindings or handlers while it runs.
void KeyboardShortcuts::fire(const Shortcut& shortcut) {
    std::vector<Handler> toRun;
    // The names bound when the registrations were last brought in line: every change of a
    // binding, a handler or a disabled name does that, so no stored binding is parsed per key.
    if (const auto bound = bound_.find(shortcut); bound != bound_.end()) {
        for (const auto& rawValue : bound->second) {
            const auto handlers = handlers_.find(rawValue);
            if (handlers != handlers_.end())
                toRun.insert(toRun.end(), handlers->second.begin(), handlers->second.end());
        }
    }
    for (auto& handler : toRun) {
        handler();
    }
}

void KeyboardShortcuts::reportFailure(const Shortcut& shortcut) {
    failureObservers_.notify(shortcut);
}

} // namespace morvanta
