#include "tests/support/xvfb_server.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace morvanta::testing {

namespace {

pid_t spawnProcess(const std::vector<std::string>& argv, const std::string& display,
                   int keepFd = -1) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!display.empty())
            setenv("DISPLAY", display.c_str(), 1);
        // Quiet children: tests read results through X, not through their output.
        const int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, STDIN_FILENO);
            dup2(devnull, STDOUT_FILENO);
            if (!getenv("MORVANTA_TEST_VERBOSE"))
                dup2(devnull, STDERR_FILENO);
        }
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != keepFd)
                close(fd);
        setpgid(0, 0);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

void terminate(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::string readLine(int fd, std::chrono::milliseconds deadline) {
    std::string text;
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (poll(&p, 1, static_cast<int>(std::max<long>(1, left.count()))) <= 0)
            continue;
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n <= 0)
            break;
        if (c == '\n')
            return text;
        text.push_back(c);
    }
    return {};
}

// True when the window manager's _NET_CLIENT_LIST on `root` names `window`.
bool listsClient(xcb_connection_t* c, xcb_window_t root, xcb_window_t window) {
    const char name[] = "_NET_CLIENT_LIST";
    auto atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof(name) - 1, name), nullptr);
    if (!atom)
        return false;
    auto list = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 4096), nullptr);
    free(atom);
    if (!list)
        return false;
    const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(list));
    const int count = xcb_get_property_value_length(list) / 4;
    const bool listed = std::find(ids, ids + count, window) != ids + count;
    free(list);
    return listed;
}

} // namespace

XvfbServer::XvfbServer(XvfbOptions options) {
    if (!startServer(options))
        return;
    if (options.openbox && !startOpenbox()) {
        error_ = "openbox did not start";
        display_.clear();
        return;
    }
    if (!options.monitors.empty() && !addMonitors(options.monitors)) {
        error_ = "xrandr --setmonitor failed";
        display_.clear();
    }
}

XvfbServer::~XvfbServer() {
    if (probe_)
        xcb_disconnect(probe_);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        terminate(*it);
    terminate(keeper_);
    terminate(server_);
}

bool XvfbServer::startServer(const XvfbOptions& options) {
    int fds[2];
    if (pipe(fds) != 0) {
        error_ = "pipe failed";
        return false;
    }
    const std::string screen =
        std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    server_ = spawnProcess({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                            "-nolisten", "tcp", "-noreset", "+extension", "RANDR"},
                           "", fds[1]);
    close(fds[1]);
    const std::string number = readLine(fds[0], std::chrono::seconds(20));
    close(fds[0]);
    if (number.empty()) {
        error_ = "Xvfb did not report a display (is xvfb installed?)";
        return false;
    }
    display_ = ":" + number;
    // A client that stays connected: Xvfb forgets RandR monitors when its last client leaves.
    keeper_ = spawnProcess({"sh", "-c", "exec xprop -root -spy _MORVANTA_KEEPALIVE"}, display_);
    return true;
}

bool XvfbServer::startOpenbox() {
    // With the system's data folders, whatever a test's private home says: Openbox quits when
    // it finds no theme.
    const pid_t pid =
        spawnProcess({"env", "-u", "XDG_DATA_DIRS", "openbox", "--sm-disable"}, display_);
    children_.push_back(pid);
    return waitFor([this] { return openboxRunning(); }, std::chrono::seconds(10)) &&
           openboxManagesNewWindows();
}

// Openbox announces itself a moment before it manages new windows, and a window mapped in
// that moment stays unmanaged. A probe window mapped (again, each second) until Openbox
// reparents it into a frame shows that the moment has passed.
bool XvfbServer::openboxManagesNewWindows() {
    int screenNumber = 0;
    probe_ = xcb_connect(display_.c_str(), &screenNumber);
    xcb_connection_t* c = probe_;
    if (xcb_connection_has_error(c))
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 20, 20, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const auto framed = [&] {
        auto tree = xcb_query_tree_reply(c, xcb_query_tree(c, probe), nullptr);
        const bool reparented = tree && tree->parent != root;
        free(tree);
        return reparented;
    };
    bool managed = false;
    for (int attempt = 0; attempt < 10 && !managed; ++attempt) {
        xcb_unmap_window(c, probe);
        xcb_map_window(c, probe);
        xcb_flush(c);
        managed = waitFor(framed, std::chrono::seconds(1));
    }
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    // Tests start once Openbox is done with the probe, so its news does not mix with theirs.
    // The connection stays open with the server: a later client given the same window numbers
    // gets its first window taken by Openbox for the probe.
    const bool released =
        waitFor([&] { return !listsClient(c, root, probe); }, std::chrono::seconds(5));
    return managed && released;
}

bool XvfbServer::openboxRunning() const {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display_.c_str(), &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    auto atomReply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof(name) - 1, name), nullptr);
    bool running = false;
    if (atomReply && atomReply->atom != XCB_ATOM_NONE) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        auto prop = xcb_get_property_reply(
            c, xcb_get_property(c, 0, screen->root, atomReply->atom, XCB_ATOM_WINDOW, 0, 1),
            nullptr);
        running = prop && xcb_get_property_value_length(prop) == 4;
        free(prop);
    }
    free(atomReply);
    xcb_disconnect(c);
    return running;
}

bool XvfbServer::addMonitors(const std::vector<XvfbOptions::Monitor>& monitors) {
    bool first = true;
    for (const auto& m : monitors) {
        // Geometry in xrandr's form: w/mmw x h/mmh + x + y (about 96 dpi).
        const std::string geometry =
            std::to_string(m.width) + "/" + std::to_string(m.width * 254 / 960) + "x" +
            std::to_string(m.height) + "/" + std::to_string(m.height * 254 / 960) + "+" +
            std::to_string(m.x) + "+" + std::to_string(m.y);
        // The first monitor takes over Xvfb's one output ("screen"): the automatic whole-screen
        // monitor of that output then goes away instead of overlapping the new ones (it cannot
        // be deleted).
        if (run({"xrandr", "--setmonitor", m.name, geometry, first ? "screen" : "none"}) != 0)
            return false;
        first = false;
    }
    return true;
}

pid_t XvfbServer::spawn(const std::vector<std::string>& argv) {
    const pid_t pid = spawnProcess(argv, display_);
    if (pid > 0)
        children_.push_back(pid);
    return pid;
}

int XvfbServer::run(const std::vector<std::string>& argv) {
    const pid_t pid = spawnProcess(argv, display_);
    if (pid <= 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void XvfbServer::kill(pid_t pid) {
    terminate(pid);
    std::erase(children_, pid);
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline,
             std::chrono::milliseconds interval) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (true) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(interval);
    }
}

} // namespace morvanta::testing
