// ScreenSource: the live list of screens, primary first, and the news that it changed (a display
// added, removed or moved, or the space reserved by panels changed).
#pragma once

#include "ax/screen.h"

#include <functional>
#include <vector>

namespace morvanta {

class ScreenSource {
public:
    virtual ~ScreenSource() = default;

    // Fresh on every call; the first entry is the primary display. Never empty while a display
    // is connected.
    virtual std::vector<Screen> screens() = 0;

    // Called (on the thread that dispatches window-system events) after the screens changed.
    std::function<void()> onScreensChanged;
};

} // namespace morvanta
