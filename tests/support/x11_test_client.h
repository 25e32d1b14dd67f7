// X11TestClient: an X client standing in for other programs on a test display. It owns named
// top-level windows with the properties programs set (title, class, process id, size hints,
// type, state, struts) and changes them on command; it reads the screen's pixels and stacking
// order back and keeps the events its windows receive. Tests use it in their own process, or
// through morvanta-testclient, which runs one in a process of its own and answers one command
// line (command()'s protocol) with one reply line.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace morvanta::testing {

class X11TestClient {
public:
    // The process id the windows claim when the client runs inside the test: not the test's own,
    // since Morvanta leaves its own process's windows out.
    static constexpr std::uint32_t foreignPid = 999999;

    // Connects to `display` ("" for $DISPLAY); its windows claim `pid` as their process id.
    explicit X11TestClient(const std::string& display, std::uint32_t pid = foreignPid);
    ~X11TestClient();
    X11TestClient(const X11TestClient&) = delete;
    X11TestClient& operator=(const X11TestClient&) = delete;

    bool ok() const { return c_ && !xcb_connection_has_error(c_); }
    xcb_connection_t* raw() const { return c_; }
    xcb_window_t root() const { return screen_->root; }

    struct WindowOptions {
        std::uint32_t rgb = 0xffffff;
        // Events the client keeps for pendingEventTypes().
        std::uint32_t eventMask = 0;
        bool map = true;
        // Without _NET_WM_PID, as many older programs (xeyes, xlogo) never set it.
        bool withPid = true;
    };
    // A solid-coloured top-level window named `name`, at the position and size given (asked
    // for in its size hints too, so a window manager keeps them); answers its id.
    xcb_window_t open(const std::string& name, int x, int y, int w, int h,
                      const WindowOptions& options);
    xcb_window_t open(const std::string& name, int x, int y, int w, int h) {
        return open(name, x, y, w, h, WindowOptions{});
    }
    // Runs one command line once the server has handled it; answers "ok", "window NAME ID",
    // "pid N" or "error ...":
    //   create NAME X Y W H      a window, not yet mapped     open NAME X Y W H   create + map
    //   map NAME | unmap NAME | close NAME                     title NAME TEXT...
    //   class NAME INSTANCE CLASS                              type NAME normal|dialog|utility|
    //   transient NAME OTHER                                        dock|splash|menu|none|bad
    //   minsize NAME W H | increments NAME W H                 move NAME X Y | resize NAME W H
    //   iconify NAME | deiconify NAME | fullscreen NAME on|off | focus NAME
    //   state NAME STATE (the initial _NET_WM_STATE)           extents NAME L R T B
    //   strut NAME LEFT RIGHT TOP BOTTOM                       many COUNT PREFIX (opens COUNT)
    //   nopid NAME (drops _NET_WM_PID) | setpid NAME (sets it)  pid
    std::string command(const std::string& line);

    void configure(xcb_window_t window, std::uint16_t mask, std::vector<std::uint32_t> values);
    void setRootColor(std::uint32_t rgb);
    // Waits until the server has handled everything sent so far.
    void sync();

    std::uint32_t pixel(int x, int y);
    // The root's children, bottom to top.
    std::vector<xcb_window_t> stacking();
    // Position of `window` in stacking(); -1 when absent.
    int stackIndex(xcb_window_t window);

    // Types of the events the client's windows received since the last call.
    std::vector<std::uint8_t> pendingEventTypes();
    // Counts bounding-shape changes of `window` (any client's) from now on.
    void selectShape(xcb_window_t window);
    int shapeNotifies();

private:
    xcb_atom_t atom(const std::string& name);
    void setCardinals(xcb_window_t w, const std::string& property, xcb_atom_t type,
                      const std::vector<std::uint32_t>& values);
    void setText(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::string& text);
    void updateHints(xcb_window_t w, std::uint32_t flag, std::size_t index, std::uint32_t a,
                     std::uint32_t b);
    bool windowManagerRuns();
    void clientMessage(xcb_window_t w, const std::string& type, std::vector<std::uint32_t> data);
    std::string change(xcb_window_t w, const std::string& command, std::istream& in);
    void drain();

    xcb_connection_t* c_ = nullptr;
    const xcb_screen_t* screen_ = nullptr;
    std::uint32_t pid_;
    std::map<std::string, xcb_window_t> windows_;
    // WM_NORMAL_HINTS kept per window, so position, minimum size and increments can be set
    // independently.
    std::map<xcb_window_t, std::vector<std::uint32_t>> hints_;
    std::uint8_t shapeBase_ = 0;
    int shapeNotifies_ = 0;
    std::vector<std::uint8_t> events_;
};

} // namespace morvanta::testing
