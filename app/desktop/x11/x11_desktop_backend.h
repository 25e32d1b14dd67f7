// X11DesktopBackend: the desktop of an X server, whatever window manager runs beside Morvanta:
// the X11 window system over one shared connection, its shaped ring window for the border, the
// XInput mouse monitor, a frame timer at the primary monitor's refresh rate, and root-window key
// grabs on a connection of their own. Its header names no xcb type, so the shell that opens it
// stays free of X11.
#pragma once

#include "app/desktop/desktop_backend.h"

#include <memory>
#include <string>

namespace morvanta {

class X11WindowSystem;

class X11DesktopBackend : public DesktopBackend {
public:
    // The X display `display` names (the DISPLAY variable when empty); none when it cannot be
    // opened.
    static std::unique_ptr<X11DesktopBackend> open(const std::string& display);
    // Over a window system already open on `display`, for callers that choose its options.
    X11DesktopBackend(std::unique_ptr<X11WindowSystem> system, std::string display);
    ~X11DesktopBackend() override;
    X11DesktopBackend(const X11DesktopBackend&) = delete;
    X11DesktopBackend& operator=(const X11DesktopBackend&) = delete;

    WindowSystem& windowSystem() override;
    std::unique_ptr<BorderOverlay> makeBorderOverlay() override;
    std::unique_ptr<MouseMonitor> makeMouseMonitor() override;
    std::unique_ptr<FrameTimer> makeFrameTimer(RunLoop& loop) override;
    std::unique_ptr<GlobalHotKeys> makeHotKeys() override;
    std::optional<std::string> tilingWindowManager() override;

    // The X11 window system itself, for tests that count its round trips.
    X11WindowSystem& x11System() { return *system_; }

private:
    std::unique_ptr<X11WindowSystem> system_;
    std::string display_;
};

} // namespace morvanta
