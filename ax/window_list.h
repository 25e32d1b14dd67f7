// WindowList: the tileable windows that exist right now, and the focused window.
//
// `all` keeps a window only when it is standard, not minimised (a window hidden by Morvanta's
// own parking counts as not minimised), not full screen and not owned by this process.
// Order: applications (process ids) in the order their first window was mapped, and each
// application's windows front to back. No sorting beyond that, no de-duplication.
#pragma once

#include "ax/ax_window.h"

#include <optional>
#include <vector>

namespace morvanta {

class WindowList {
public:
    virtual ~WindowList() = default;

    virtual std::vector<AXWindow> all() = 0;
    // The window with the keyboard focus, whatever its kind or owner (it may be a dialog or one
    // of this program's windows); none when nothing has focus.
    virtual std::optional<AXWindow> focused() = 0;
};

} // namespace morvanta
