// UnavailableHotKeys: the global hot keys of a desktop where Morvanta cannot grab keys (yet). Every
// grab is refused, nothing is ever pressed, and ok() is false with the reason, which the
// application logs once; the tray icon and `morvanta msg` still reach every action. Combinations
// print as the stored modifiers and key code, since no keyboard layout is at hand.
#pragma once

#include "shortcuts/global_hot_keys.h"
#include "shortcuts/modifiers.h"

#include <string>
#include <utility>

namespace morvanta {

class UnavailableHotKeys : public GlobalHotKeys {
public:
    explicit UnavailableHotKeys(std::string reason) : reason_(std::move(reason)) {}

    bool grab(std::uint32_t, const Shortcut&) override { return false; }
    void ungrab(std::uint32_t) override {}
    void setEventSink(EventSink) override {}

    bool ok() const override { return false; }
    const std::string& error() const override { return reason_; }
    int fileDescriptor() const override { return -1; }
    void dispatch() override {}

    std::string shortcutText(const Shortcut& shortcut) const override {
        return modifierPrefix(shortcut.carbonModifiers) + "#" +
               std::to_string(shortcut.carbonKeyCode);
    }
    std::optional<Shortcut> shortcutForKeyEvent(std::uint32_t, std::uint16_t) const override {
        return std::nullopt;
    }
    bool isGrabbedByAnotherClient(const Shortcut&) override { return false; }

private:
    std::string reason_;
};

} // namespace morvanta
