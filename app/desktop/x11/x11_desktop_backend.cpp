#include "app/desktop/x11/x11_desktop_backend.h"

#include "app/controller/run_loop_frame_timer.h"
#include "ax/x11/window_manager_name.h"
#include "ax/x11/x11_border_overlay.h"
#include "ax/x11/x11_mouse_monitor.h"
#include "ax/x11/x11_refresh_rate.h"
#include "ax/x11/x11_window_system.h"
#include "shortcuts/x11/x11_hot_keys.h"

namespace morvanta {

std::unique_ptr<X11DesktopBackend> X11DesktopBackend::open(const std::string& display) {
    X11Options options;
    options.display = display;
    auto system = X11WindowSystem::open(options);
    if (!system)
        return nullptr;
    return std::make_unique<X11DesktopBackend>(std::move(system), display);
}

X11DesktopBackend::X11DesktopBackend(std::unique_ptr<X11WindowSystem> system, std::string display)
    : system_(std::move(system)), display_(std::move(display)) {}

X11DesktopBackend::~X11DesktopBackend() = default;

WindowSystem& X11DesktopBackend::windowSystem() {
    return *system_;
}

std::unique_ptr<BorderOverlay> X11DesktopBackend::makeBorderOverlay() {
    return X11BorderOverlay::create(*system_);
}

std::unique_ptr<MouseMonitor> X11DesktopBackend::makeMouseMonitor() {
    return X11MouseMonitor::create(system_->sharedConnection());
}

std::unique_ptr<FrameTimer> X11DesktopBackend::makeFrameTimer(RunLoop& loop) {
    // The rate is read when the timer starts, so a monitor changed since start-up counts.
    return std::make_unique<RunLoopFrameTimer>(loop, [connection = system_->sharedConnection()] {
        return X11RefreshRate::primaryHz(*connection);
    });
}

std::unique_ptr<GlobalHotKeys> X11DesktopBackend::makeHotKeys() {
    // The grabs open a connection of their own to the same display.
    return std::make_unique<X11HotKeys>(display_);
}

std::optional<std::string> X11DesktopBackend::tilingWindowManager() {
    return runningTilingWindowManager(system_->connection());
}

} // namespace morvanta
