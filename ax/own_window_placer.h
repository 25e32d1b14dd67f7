// OwnWindowPlacer: places a window of Morvanta's own where the window system decides where
// windows go and a program cannot move its own (Wayland). The shell calls it when it shows such a
// window; on a desktop where the toolkit places windows itself there is none.
#pragma once

#include <string>

namespace morvanta {

class OwnWindowPlacer {
public:
    virtual ~OwnWindowPlacer() = default;

    // The window of this process whose caption starts with `caption` goes horizontally centred
    // on the usable area of the screen under the pointer, its top `topFraction` of that area's
    // height below the area's top, above the other windows and with the keyboard focus; also
    // when the window appears only a moment later.
    virtual void centreOnPointerScreen(const std::string& caption, double topFraction) = 0;
};

} // namespace morvanta
