// X11WindowAccess: WindowAccess on X11. Frames are outer frames in root coordinates. With an
// EWMH window manager, frames are set through _NET_MOVERESIZE_WINDOW with north-west gravity
// (always that one gravity: mixing gravities confuses some window managers), and the waiting
// forms wait until the window manager has handled them, so a frame read right afterwards is the
// new one. Without a window manager the client window is configured directly. Marks, minimising
// and restoring are X11ParkingPrimitives' job.
#pragma once

#include "ax/window_access.h"
#include "ax/x11/x11_connection.h"
#include "ax/x11/x11_focus_holder.h"
#include "ax/x11/x11_frame_request.h"
#include "ax/x11/x11_parking_primitives.h"
#include "ax/x11/x11_window_hints.h"
#include "ax/x11/x11_window_texts.h"

#include <memory>
#include <xcb/xcb.h>

namespace morvanta {

class X11WindowAccess : public WindowAccess, public std::enable_shared_from_this<X11WindowAccess> {
public:
    explicit X11WindowAccess(std::shared_ptr<X11Connection> connection)
        : connection_(connection), focusHolder_(connection), parking_(*connection) {}

    AXWindow handle(xcb_window_t window, std::int32_t pid) {
        return AXWindow(weak_from_this(), window, connection_->handedPid(window, pid));
    }
    X11Connection& connection() { return *connection_; }

    std::string title(const AXWindow& window) override;
    std::string appName(const AXWindow& window) override;
    std::optional<std::string> bundleIdentifier(const AXWindow& window) override;
    std::string description(const AXWindow& window) override;

    bool isStandard(const AXWindow& window) override;
    std::optional<bool> isMinimized(const AXWindow& window) override;
    std::optional<bool> isFullScreen(const AXWindow& window) override;

    void raise(const AXWindow& window) override;
    FocusResult focus(const AXWindow& window) override;
    void focusNothing() override;

    std::vector<std::optional<Rect>> frames(const std::vector<AXWindow>& windows) override;
    std::vector<bool> setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) override;
    std::vector<std::optional<Size>> sizeIncrements(const std::vector<AXWindow>& windows) override;

    std::vector<std::pair<AXWindow, Rect>> markedWindows() override;
    void setPositions(const std::vector<std::pair<AXWindow, Point>>& targets) override;
    void setParkMarks(const std::vector<std::pair<AXWindow, Rect>>& marks) override;
    void clearParkMarks(const std::vector<AXWindow>& windows) override;
    std::vector<std::optional<Rect>> parkMarks(const std::vector<AXWindow>& windows) override;
    std::vector<bool> iconifyAll(const std::vector<AXWindow>& windows) override;
    void deiconifyAll(const std::vector<AXWindow>& windows, bool settle) override;
    std::vector<bool> isIconifiedAll(const std::vector<AXWindow>& windows) override;

    void sendFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) override;
    void sendPositions(const std::vector<std::pair<AXWindow, Point>>& targets) override;
    void sendFocus(const AXWindow& window) override;
    std::unique_ptr<FrameQuery> queryFrames(const std::vector<AXWindow>& windows) override;
    void settle() override;
    // Always: under a window manager it may animate; without one the frame memo holds every
    // configure request as sent.
    bool readsBackAtOnce() const override { return true; }

    // The client windows that may be top-level application windows: the window manager's client
    // list, or the root's children without one. Mapping order (oldest first).
    std::vector<xcb_window_t> topLevelCandidates();
    // Each window's size steps and struts: remembered ones (a mapping window's, asked for while
    // its refresh waits) until news of their properties, the rest read in one round trip.
    std::vector<X11WindowHints> hints(const std::vector<xcb_window_t>& windows);

private:
    X11WindowTexts texts(xcb_window_t window);
    std::string appNameFor(const AXWindow& window, const std::optional<std::string>& className);
    void sendMoveResize(xcb_window_t window, std::uint32_t flags, int x, int y, int w, int h);
    // Each window's current reading, for its decorations: without a window manager from the
    // server's news where that tells them, the others asked for in one batch (one round trip).
    std::vector<std::optional<X11FrameReading>>
    readingsFor(const std::vector<std::pair<AXWindow, Rect>>& targets);
    // Frame requests after one batch read of the windows' decorations. `sent` tells which
    // windows could be read (the others vanished); with `checked`, without a window manager,
    // `cookies` holds each sent window's frame request and `owners` its index.
    struct SentFrames {
        std::vector<bool> sent;
        std::vector<xcb_void_cookie_t> cookies;
        std::vector<std::size_t> owners;
    };
    SentFrames sendFrameRequests(const std::vector<std::pair<AXWindow, Rect>>& targets,
                                 bool checked);

    std::shared_ptr<X11Connection> connection_;
    X11FocusHolder focusHolder_;
    X11ParkingPrimitives parking_;
};

} // namespace morvanta
