// Global hot keys on X11: passive key grabs on the root window, each combination grabbed with
// and without NumLock (Mod2) and CapsLock (Lock) so those locks do not matter. Stored key codes
// become keycodes of the current layout through X11Keymap, and the grabs follow layout changes.
// A grab refused with BadAccess (another client holds the combination) is a failed
// registration. Presses are reported once per press, repeats of a held key ignored, from
// dispatch(), which the run loop calls on the main thread when fileDescriptor() is readable.
#pragma once

#include "shortcuts/global_hot_keys.h"
#include "shortcuts/x11/x11_keymap.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include <xcb/xcb.h>

namespace morvanta {

class X11HotKeys : public GlobalHotKeys {
public:
    // Opens its own connection to the display (the DISPLAY variable when empty).
    explicit X11HotKeys(const std::string& displayName = {});
    ~X11HotKeys() override;
    X11HotKeys(const X11HotKeys&) = delete;
    X11HotKeys& operator=(const X11HotKeys&) = delete;

    bool ok() const override { return error_.empty(); }
    const std::string& error() const override { return error_; }

    // Readable when events wait; call dispatch() then.
    int fileDescriptor() const override;
    // Handles every event received so far: key presses, releases and keyboard changes.
    void dispatch() override;
    // Waits until the server has handled every request and event sent before, then
    // dispatches; used where a caller must know that earlier input has been seen.
    void sync();

    bool grab(std::uint32_t id, const Shortcut& shortcut) override;
    void ungrab(std::uint32_t id) override;
    void setEventSink(EventSink sink) override { sink_ = std::move(sink); }

    // "Alt+Shift+F", "Ctrl+Alt+1", with the key named as the current layout prints it.
    std::string shortcutText(const Shortcut& shortcut) const override;
    // The shortcut an X key event stands for (its keycode and modifier state, as a toolkit
    // reports them natively), for feeding key events of an open menu to the raw-key path.
    std::optional<Shortcut> shortcutForKeyEvent(std::uint32_t keycode,
                                                std::uint16_t state) const override;
    // Whether another client already grabs the combination, found with a throw-away grab.
    // Combinations we hold ourselves answer false (suspend our grabs first to test them).
    bool isGrabbedByAnotherClient(const Shortcut& shortcut) override;

private:
    using Combination = std::pair<std::uint32_t, std::uint16_t>; // keycode, modifier mask
    struct Grab {
        Shortcut shortcut;
        std::vector<Combination> combinations;
    };

    std::vector<Combination> combinationsFor(const Shortcut& shortcut) const;
    // Grabs the combinations not held yet; all or nothing. False on any refusal.
    bool acquire(const std::vector<Combination>& combinations);
    void release(const std::vector<Combination>& combinations);
    void sendUngrab(const Combination& combination);
    bool isHeld(const Combination& combination) const;
    void handleEvent(const xcb_generic_event_t* event);
    void handleKey(bool pressed, std::uint32_t keycode, std::uint16_t state);
    void keyboardChanged();
    void watchKeyboard();

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    std::string error_;
    X11Keymap keymap_;
    std::uint8_t xkbEventBase_ = 0;
    std::map<std::uint32_t, Grab> grabs_;
    std::map<Combination, int> held_; // how many grabs use each combination
    std::map<std::uint32_t, std::vector<std::uint32_t>> pressed_; // keycode -> hot-key ids
    EventSink sink_;
};

} // namespace morvanta
