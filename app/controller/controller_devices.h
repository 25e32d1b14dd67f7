// ControllerDevices: the pieces of the desktop the controller needs besides the WindowSystem:
// the focus border's panel, the global mouse monitor (drag-to-swap, drag-to-resize and the
// border's drag tracking) and the per-frame timer the border animates with. Each may be
// missing where the desktop cannot provide it: without a border the focus border stays off,
// without a mouse monitor drags are not examined.
#pragma once

#include "ax/border_overlay.h"
#include "ax/frame_timer.h"
#include "ax/mouse_monitor.h"

#include <memory>

namespace morvanta {

struct ControllerDevices {
    std::unique_ptr<BorderOverlay> border;
    std::unique_ptr<MouseMonitor> mouse;
    std::unique_ptr<FrameTimer> frameTimer;
};

} // namespace morvanta
