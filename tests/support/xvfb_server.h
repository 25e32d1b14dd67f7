// A private X server for tests: Xvfb started with -displayfd (so it picks a free display and
// never touches the user's), optionally with a window manager and extra RandR monitors.
// Everything it starts is killed when the object goes.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

struct xcb_connection_t;

namespace morvanta::testing {

// The window managers tests run beside, each started as its desktop session starts it.
enum class TestWindowManager { none, openbox, xfwm4, kwin, mutter, icewm, fluxbox };
// "NoWM", "Openbox", "Xfwm4", …: for test names.
std::string windowManagerName(TestWindowManager wm);
// Every window manager of the matrix whose program is installed, `none` first.
std::vector<TestWindowManager> installedWindowManagers();

struct XvfbOptions {
    int width = 1920;
    int height = 1080;
    TestWindowManager windowManager = TestWindowManager::none;
    // Split the screen into these RandR monitors ("name", x, y, width, height) once started.
    struct Monitor {
        std::string name;
        int x = 0, y = 0, width = 0, height = 0;
    };
    std::vector<Monitor> monitors;
};

class XvfbServer {
public:
    explicit XvfbServer(XvfbOptions options = {});
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool ok() const { return !display_.empty(); }
    const std::string& display() const { return display_; } // ":N"
    const std::string& error() const { return error_; }

    // Starts a program on this display; it is killed with the server.
    pid_t spawn(const std::vector<std::string>& argv);
    // Runs a program on this display to completion; answers its exit status (-1 on failure).
    int run(const std::vector<std::string>& argv);
    // Kills one spawned program now (SIGTERM, then SIGKILL after a grace period).
    void kill(pid_t pid);

    // True when a window manager has announced itself on the root window.
    bool windowManagerRunning() const;
    // Starts the window manager again with its own replace option while the old one runs (as
    // a user restarting it would) and waits until the new one manages windows.
    bool replaceWindowManager();
    TestWindowManager windowManager() const { return windowManager_; }

private:
    bool startServer(const XvfbOptions& options);
    bool startWindowManager(bool replace);
    bool managesNewWindows();
    bool addMonitors(const std::vector<XvfbOptions::Monitor>& monitors);

    TestWindowManager windowManager_ = TestWindowManager::none;
    std::string wmHome_; // the window manager's private home: its first-start files go there
    pid_t windowManagerPid_ = -1;
    std::string display_;
    std::string error_;
    pid_t server_ = -1;
    pid_t keeper_ = -1; // a client kept connected so Xvfb does not reset and drop monitors
    std::vector<pid_t> children_;
    xcb_connection_t* probe_ = nullptr; // kept open so its window numbers are not reused
};

// Polls `condition` until it holds or the deadline passes; answers the last result.
bool waitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds deadline = std::chrono::seconds(5),
             std::chrono::milliseconds interval = std::chrono::milliseconds(5));

} // namespace morvanta::testing
