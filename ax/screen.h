// Screen: one display as the window system reports it. Frames are in the global top-left space
// (on X11 the application framework's space is the same one, so no conversion is needed).
#pragma once

#include "core/geometry.h"

#include <string>

namespace morvanta {

struct Screen {
    Rect frame;        // the whole display
    Rect visibleFrame; // less panels and docks that reserve space on it
    // The persistent identity (raw value of DisplayID): an upper-case 8-4-4-4-12 UUID when the
    // display has one, else its name.
    std::string identity;
    std::string name; // the display's own name, e.g. "HDMI-1"

    bool operator==(const Screen&) const = default;
};

} // namespace morvanta
