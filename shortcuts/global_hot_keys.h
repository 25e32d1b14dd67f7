// GlobalHotKeys: one desktop's global key grabs as the application uses them. Besides the
// HotKeyBackend the HotKeyCenter drives, it tells whether grabs work at all, gives the event
// source the run loop watches, prints a combination as the current keyboard layout names its
// key, reads a native key event (for the keys of an open menu and the shortcut recorder), and
// tells whether another program already holds a combination. The X11 grabs live in
// shortcuts/x11/, Plasma's global shortcuts in shortcuts/kwin/, the grabs tests use in
// shortcuts/fake/.
#pragma once

#include "shortcuts/hot_key_backend.h"
#include "shortcuts/shortcut.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace morvanta {

// How a desktop that lists every program's global shortcuts in its own settings (Plasma) shows
// one of ours: an identifier that stays the same from run to run, and a readable title.
struct HotKeyLabel {
    std::string identifier;
    std::string title;
};
using HotKeyLabeler = std::function<std::optional<HotKeyLabel>(const Shortcut&)>;

class GlobalHotKeys : public HotKeyBackend {
public:
    // False when the desktop refused the grabs' connection; error() then says why.
    virtual bool ok() const = 0;
    virtual const std::string& error() const = 0;

    // Readable when key events wait; call dispatch() then. -1 when presses are delivered
    // synchronously and there is nothing to watch.
    virtual int fileDescriptor() const = 0;
    // Handles every key event received so far; never blocks.
    virtual void dispatch() = 0;

    // "Alt+Shift+F", with the key named as the current layout prints it.
    virtual std::string shortcutText(const Shortcut& shortcut) const = 0;
    // The shortcut a native key event stands for (its key code and modifier state as the
    // toolkit reports them natively); none for a key no shortcut can use.
    virtual std::optional<Shortcut> shortcutForKeyEvent(std::uint32_t keycode,
                                                        std::uint16_t state) const = 0;
    // Whether another program already holds the combination. Combinations held by these grabs
    // answer false.
    virtual bool isGrabbedByAnotherClient(const Shortcut& shortcut) = 0;

    // Names the combinations grabbed from now on, where the desktop lists them; desktops that
    // list nothing ignore it. Without a labeler, or when it answers none, a grab is named after
    // its combination.
    virtual void setLabeler(HotKeyLabeler labeler) { (void)labeler; }
};

} // namespace morvanta
