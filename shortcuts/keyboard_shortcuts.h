// The hot-key service: for every action name it stores the chosen key combination (under
// "KeyboardShortcuts_" + name, a JSON string, or false for a removed default), keeps one
// global registration per distinct combination that an enabled name with handlers uses, and
// runs the names' handlers when that combination is pressed. Main thread only.
#pragma once

#include "core/observer_list.h"
#include "shortcuts/hot_key.h"
#include "shortcuts/hot_key_center.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_name.h"
#include "shortcuts/shortcut_storage.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace morvanta {

class KeyboardShortcuts {
public:
    using Name = ShortcutName;
    using Handler = std::function<void()>;
    using ChangeObserver = ObserverList<Name>::Observer;
    using FailureObserver = ObserverList<Shortcut>::Observer;

    static constexpr const char* storageKeyPrefix = "KeyboardShortcuts_";

    KeyboardShortcuts(ShortcutStorage& storage, HotKeyCenter& center);
    ~KeyboardShortcuts();
    KeyboardShortcuts(const KeyboardShortcuts&) = delete;
    KeyboardShortcuts& operator=(const KeyboardShortcuts&) = delete;

    static std::string storageKey(const Name& name);

    // Stores the name's initial shortcut when nothing is stored for it yet. Every operation
    // below that takes a name does this first, so a default appears on first use.
    void introduce(const Name& name);

    // The stored combination; none when removed, absent or unreadable.
    std::optional<Shortcut> shortcutFor(const Name& name);
    // Stores the combination, or removes it (false when the name has a default, so the default
    // does not come back). Registrations follow, then change observers run.
    void storeShortcut(const std::optional<Shortcut>& shortcut, const Name& name);

    void addKeyDownHandler(const Name& name, Handler handler);
    void removeHandlers(const Name& name);

    // Disabled names keep their stored combination but neither hold a registration nor run.
    void enableNames(const std::vector<Name>& names);
    void disableNames(const std::vector<Name>& names);
    bool isDisabled(const Name& name) const;

    // True when the name's combination is currently registered with the window system, i.e.
    // pressing it runs the name's handlers.
    bool isActive(const Name& name);

    [[nodiscard]] Subscription addChangeObserver(ChangeObserver observer) {
        return changeObservers_.add(std::move(observer));
    }
    // Told when the window system refuses a combination (another client holds it, or the
    // current keyboard cannot type it). The stored combination is kept.
    [[nodiscard]] Subscription addRegistrationFailedObserver(FailureObserver observer) {
        return failureObservers_.add(std::move(observer));
    }

    // The enabled names with handlers whose presses the combination runs (as of the last
    // change of bindings, handlers or disabled names), sorted, for naming its registration.
    std::vector<std::string> namesBoundTo(const Shortcut& shortcut) const;

    HotKeyCenter& center() { return center_; }

private:
    // Brings the registrations in line with stored combinations, handlers and disabled names.
    void synchronize();
    void fire(const Shortcut& shortcut);
    void reportFailure(const Shortcut& shortcut);
    std::unordered_map<Shortcut, std::vector<std::string>, ShortcutHash> wantedCombinations();

    ShortcutStorage& storage_;
    HotKeyCenter& center_;
    std::unordered_map<std::string, Name> names_;
    std::unordered_map<std::string, std::vector<Handler>> handlers_;
    std::unordered_set<std::string> disabled_;
    std::unordered_map<Shortcut, std::shared_ptr<HotKey>, ShortcutHash> hotKeys_;
    // The enabled names with handlers bound to each combination, as of the last synchronize().
    std::unordered_map<Shortcut, std::vector<std::string>, ShortcutHash> bound_;
    // Combinations refused by the window system; tried again when a name asks for them anew.
    std::unordered_set<Shortcut, ShortcutHash> refused_;
    ObserverList<Name> changeObservers_;
    ObserverList<Shortcut> failureObservers_;
};

} // namespace morvanta
