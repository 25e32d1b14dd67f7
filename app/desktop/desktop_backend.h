// DesktopBackend: everything the application needs from one desktop, behind one object: the
// window system (windows, screens, focus and their news), the focus border's panel, the mouse
// monitor, the frame timer the border animates with, and the global hot keys. The shell picks
// one backend at start-up and sees only this interface, so no type of a window system's own
// library reaches it.
//
// Each backend is a subclass with its factory in a subfolder of its own: x11/ (an X server
// beside whatever window manager runs), kwin/ (KDE Plasma, through a KWin script), fake/ (the
// in-memory desktop the tests run on). Another desktop gets a subfolder here beside them, with
// its window system under ax/ and its key grabs under shortcuts/.
//
// The backend outlives everything it makes and every run loop it delivers events on.
#pragma once

#include "app/controller/controller_devices.h"
#include "app/controller/run_loop.h"
#include "ax/border_overlay.h"
#include "ax/border_surface.h"
#include "ax/frame_timer.h"
#include "ax/mouse_monitor.h"
#include "ax/own_window_placer.h"
#include "ax/screen_source.h"
#include "ax/window_system.h"
#include "shortcuts/global_hot_keys.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace morvanta {

class DesktopBackend {
public:
    using LogSink = std::function<void(const std::string&)>;

    virtual ~DesktopBackend() = default;

    // Where the backend's own lines for the diagnostics log go from now on; empty: nowhere. A
    // backend that writes lines before its first sink (while it opens) keeps them for it. The
    // owner of the sink sets an empty one before the sink goes.
    virtual void setLog(LogSink sink) { (void)sink; }

    virtual WindowSystem& windowSystem() = 0;
    ScreenSource& screenSource() { return windowSystem().screenSource(); }

    // The controller's devices. Each may be missing where the desktop cannot provide it (the
    // border without click-through windows, the mouse without a way to watch it unseen).
    virtual std::unique_ptr<BorderOverlay> makeBorderOverlay() = 0;
    // Where the desktop places windows and a program cannot (Wayland), the border's ring is drawn
    // in a window of the application's own that the backend has placed: the shell makes one when
    // this answers true and hands it over before the first makeBorderOverlay. The surface
    // outlives every overlay made.
    virtual bool needsBorderSurface() const { return false; }
    virtual void setBorderSurface(BorderSurface* surface) { (void)surface; }
    // Places the application's own windows where the toolkit cannot; null where it can.
    virtual OwnWindowPlacer* ownWindowPlacer() { return nullptr; }
    virtual std::unique_ptr<MouseMonitor> makeMouseMonitor() = 0;
    // Ticks on `loop` at the display's refresh rate.
    virtual std::unique_ptr<FrameTimer> makeFrameTimer(RunLoop& loop) = 0;
    // All three, as the tiling controller takes them.
    ControllerDevices controllerDevices(RunLoop& loop);

    // Never null; ok() tells whether the desktop lets them grab anything.
    virtual std::unique_ptr<GlobalHotKeys> makeHotKeys() = 0;

    // The name of the running window manager when it is a tiling one, which would undo every
    // move Morvanta makes; none when it is not, or the desktop cannot tell.
    virtual std::optional<std::string> tilingWindowManager() = 0;

    // Has `loop` deliver the window system's events whenever they arrive. Answers the watch to
    // cancel; 0 when the window system delivers its events synchronously.
    RunLoop::TaskID deliverEvents(RunLoop& loop);
};

} // namespace morvanta
