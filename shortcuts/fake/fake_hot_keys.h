// FakeHotKeys: global hot keys without a display. Every grab succeeds unless a test has marked
// the combination as held by another program; presses are sent by hand and reach the event sink
// synchronously. Printed forms and native key events use the stored numbers themselves: the
// native key code is the stored key code and the native state the stored modifier mask.
#pragma once

#include "shortcuts/global_hot_keys.h"
#include "shortcuts/modifiers.h"

#include <algorithm>
#include <map>
#include <unordered_set>
#include <utility>

namespace morvanta {

class FakeHotKeys : public GlobalHotKeys {
public:
    bool grab(std::uint32_t id, const Shortcut& shortcut) override {
        if (taken.contains(shortcut))
            return false;
        grabbed[id] = shortcut;
        return true;
    }
    void ungrab(std::uint32_t id) override { grabbed.erase(id); }
    void setEventSink(EventSink newSink) override { sink = std::move(newSink); }

    bool ok() const override { return true; }
    const std::string& error() const override { return error_; }
    int fileDescriptor() const override { return -1; }
    void dispatch() override {}

    // "Alt+#18": the modifiers, then the stored key code.
    std::string shortcutText(const Shortcut& shortcut) const override {
        return modifierPrefix(shortcut.carbonModifiers) + "#" +
               std::to_string(shortcut.carbonKeyCode);
    }
    std::optional<Shortcut> shortcutForKeyEvent(std::uint32_t keycode,
                                                std::uint16_t state) const override {
        return Shortcut{static_cast<int>(keycode), static_cast<int>(state)};
    }
    bool isGrabbedByAnotherClient(const Shortcut& shortcut) override {
        return taken.contains(shortcut);
    }

    // Another program holds the combination from now on: grabs of it are refused.
    void take(const Shortcut& shortcut) { taken.insert(shortcut); }
    bool holds(const Shortcut& shortcut) const {
        return std::ranges::any_of(grabbed,
                                   [&](const auto& entry) { return entry.second == shortcut; });
    }
    // Presses (and, unless told otherwise, releases) the combination, as the desktop would
    // report it to whatever grabs it.
    void press(const Shortcut& shortcut, bool release = true) {
        for (const auto& [id, held] : std::map(grabbed))
            if (held == shortcut && sink) {
                sink(id, true);
                if (release)
                    sink(id, false);
            }
    }

    std::map<std::uint32_t, Shortcut> grabbed;
    std::unordered_set<Shortcut, ShortcutHash> taken;
    EventSink sink;

private:
    std::string error_;
};

} // namespace morvanta
