// The window-system side of the HotKeyCenter: claims a key combination globally and reports its
// presses. The X11 implementation grabs keys on the root window; tests may supply their own.
#pragma once

#include "shortcuts/shortcut.h"

#include <cstdint>
#include <functional>

namespace morvanta {

class HotKeyBackend {
public:
    // Called on the main thread with the id given to grab() and whether the key went down.
    using EventSink = std::function<void(std::uint32_t id, bool pressed)>;

    virtual ~HotKeyBackend() = default;
    // Claims the combination under `id`; false when the window system refuses it (for example
    // because another client holds it) or the key cannot be typed on the current keyboard.
    virtual bool grab(std::uint32_t id, const Shortcut& shortcut) = 0;
    // Releases what grab() claimed under `id`; unknown ids are ignored.
    virtual void ungrab(std::uint32_t id) = 0;
    virtual void setEventSink(EventSink sink) = 0;
};

} // namespace morvanta
