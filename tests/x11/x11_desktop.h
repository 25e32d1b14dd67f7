// X11Desktop: one private test display (Xvfb, optionally Openbox and RandR monitors), Morvanta's
// X11 window system connected to it, and a test client process that owns the windows.
#pragma once

#include "ax/x11/x11_window_system.h"
#include "core/layout_kind.h"
#include "tests/support/xvfb_server.h"
#include "tests/x11/test_client.h"

#include <memory>
#include <string>
#include <vector>

namespace morvanta::testing {

// Options for a plain screen beside a window manager (or none).
inline XvfbOptions desktopOptions(TestWindowManager wm) {
    XvfbOptions options;
    options.windowManager = wm;
    return options;
}
// Options for a plain screen, with or without Openbox.
inline XvfbOptions desktopOptions(bool openbox) {
    return desktopOptions(openbox ? TestWindowManager::openbox : TestWindowManager::none);
}

class X11Desktop {
public:
    explicit X11Desktop(XvfbOptions options = {});

    bool ok() const { return system_ != nullptr && client_ && client_->ok(); }
    std::string error() const;
    XvfbServer& server() { return server_; }
    X11WindowSystem& system() { return *system_; }
    TestClient& client() { return *client_; }

    // Opens a window of the test client and answers its handle (a null handle on failure).
    // Waits until the window manager, when there is one, has put its frame around it.
    AXWindow open(const std::string& name, int x, int y, int w, int h);
    AXWindow handle(std::uint32_t id) { return system_->x11Access().handle(id, client_->pid()); }
    // Waits until the window's frame is exactly `frame`.
    bool waitForFrame(const AXWindow& window, const Rect& frame);
    bool managed() { return system_->connection().windowManager().has_value(); }
    // The first screen's visible frame.
    Rect visibleFrame();
    // Whether the window is parked: in a parked position, or minimised with Morvanta's mark.
    bool isHidden(const AXWindow& window);
    // Whether every listed window shows and fills its own slot of `kind` laid out for that many
    // windows on the first screen.
    bool fillsSlots(const std::vector<AXWindow>& windows, LayoutKind kind);
    // Opens another Morvanta window system on the same display.
    std::unique_ptr<X11WindowSystem> openSystem(pid_t ownPid = getpid());

private:
    XvfbServer server_;
    std::unique_ptr<X11WindowSystem> system_;
    std::unique_ptr<TestClient> client_;
};

} // namespace morvanta::testing
