#include "ax/kwin/kwin_mouse_monitor.h"

#include "ax/kwin/kwin_window_system.h"

namespace morvanta {

KWinMouseMonitor::~KWinMouseMonitor() {
    if (watching_ && system_)
        system_->removeMouse(this);
}

Point KWinMouseMonitor::location() {
    const auto pointer = system_ ? system_->pointer() : std::nullopt;
    return pointer.value_or(Point{});
}

void KWinMouseMonitor::setWatching(bool watching) {
    if (watching == watching_ || !system_)
        return;
    watching_ = watching;
    if (watching)
        system_->addMouse(this);
    else
        system_->removeMouse(this);
}

} // namespace morvanta
