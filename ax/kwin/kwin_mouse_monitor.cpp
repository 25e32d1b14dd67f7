#include "ax/kwin/kwin_mouse_monitor.h"

#include "ax/kwin/kwin_window_system.h"

namespace morvanta {

KWinMouseMonitor::KWinMouseMonitor(KWinWindowSystem& system) : system_(&system) {
    system.addMouse(this);
}

KWinMouseMonitor::~KWinMouseMonitor() {
    if (system_)
        system_->removeMouse(this);
}

Point KWinMouseMonitor::location() {
    const auto pointer = system_ ? system_->pointer() : std::nullopt;
    return pointer.value_or(Point{});
}

} // namespace morvanta
