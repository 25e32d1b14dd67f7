// A second X client for the border tests: it owns the "other application's" windows, reads
// pixels and the stacking order back from the server, and drives the pointer through XTEST.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace morvanta::testing {

class X11TestClient {
public:
    // The process id the client's windows claim (not this process: Morvanta's own windows are
    // left out of enumeration).
    static constexpr std::uint32_t clientPid = 999999;

    explicit X11TestClient(const std::string& display);
    ~X11TestClient();
    X11TestClient(const X11TestClient&) = delete;
    X11TestClient& operator=(const X11TestClient&) = delete;

    bool ok() const { return c_ && !xcb_connection_has_error(c_); }
    xcb_connection_t* raw() const { return c_; }
    xcb_window_t root() const { return root_; }

    // A mapped, solid-coloured top-level window; `withPid` false leaves out _NET_WM_PID.
    xcb_window_t openWindow(int x, int y, int w, int h, std::uint32_t rgb, bool withPid = true,
                            std::uint32_t eventMask = 0);
    void configure(xcb_window_t window, std::uint16_t mask, std::vector<std::uint32_t> values);
    void setRootColor(std::uint32_t rgb);
    // Waits until the server has handled everything sent so far.
    void sync();

    std::uint32_t pixel(int x, int y);
    // The root's children, bottom to top.
    std::vector<xcb_window_t> stacking();
    // Position of `window` in stacking(); -1 when absent.
    int stackIndex(xcb_window_t window);

    void pointerTo(int x, int y);
    void button(bool press);

    // Events for windows this client selected; empty when none waits.
    std::vector<std::uint8_t> pendingEventTypes();
    // ShapeNotify events seen so far for windows selected with selectShape.
    void selectShape(xcb_window_t window);
    int shapeNotifies();

private:
    void drain();

    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
    std::uint8_t shapeBase_ = 0;
    int shapeNotifies_ = 0;
    std::vector<std::uint8_t> events_;
};

} // namespace morvanta::testing
