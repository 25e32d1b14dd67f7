#include "tests/support/xvfb_server.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
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

// Ends a spawned program and its whole process group: a window manager started under
// dbus-run-session takes its bus daemon with it. Whatever of the group outlives the program is
// killed too: KWin, crashing as it quits, starts itself again detached in the same group, and
// that copy would otherwise take over the next test's display of the same number.
void terminate(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(-pid, SIGTERM);
    ::kill(pid, SIGTERM);
    bool ended = false;
    for (int i = 0; i < 200 && !ended; ++i) {
        ended = waitpid(pid, nullptr, WNOHANG) == pid;
        if (!ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(-pid, SIGKILL);
    if (!ended) {
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
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

XvfbServer::XvfbServer(XvfbOptions options) : windowManager_(options.windowManager) {
    if (!startServer(options))
        return;
    if (windowManager_ != TestWindowManager::none && !startWindowManager(false)) {
        error_ = windowManagerName(windowManager_) + " did not start";
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
    if (!wmHome_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(wmHome_, ignored);
    }
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

namespace {

// The command line a desktop session starts the window manager with; `replace` takes over from
// a running one. Xfwm4, KWin and Mutter expect a session bus, so each gets one of its own.
std::vector<std::string> windowManagerCommand(TestWindowManager wm, bool replace) {
    const std::vector<std::string> bus = {"dbus-run-session", "--"};
    auto with = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    switch (wm) {
    case TestWindowManager::none:
        return {};
    case TestWindowManager::openbox:
        return with({"openbox", "--sm-disable"},
                    replace ? std::vector<std::string>{"--replace"} : std::vector<std::string>{});
    case TestWindowManager::xfwm4:
        return with(bus, {"xfwm4", "--compositor=off", "--sm-client-disable", "--replace"});
    case TestWindowManager::kwin:
        return with(bus, {"kwin_x11", "--replace"});
    case TestWindowManager::mutter:
        return with(bus, {"mutter", "--x11", "--replace", "--sm-disable"});
    case TestWindowManager::icewm:
        return with({"icewm"},
                    replace ? std::vector<std::string>{"--replace"} : std::vector<std::string>{});
    case TestWindowManager::fluxbox:
        return {"fluxbox"};
    }
    return {};
}

std::string programOf(TestWindowManager wm) {
    const auto command = windowManagerCommand(wm, false);
    return command.empty() ? std::string() : command[command[0] == "dbus-run-session" ? 2 : 0];
}

bool onPath(const std::string& program) {
    const char* path = getenv("PATH");
    std::string rest = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= rest.size();) {
        const auto end = std::min(rest.find(':', start), rest.size());
        const auto candidate = rest.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

std::string windowManagerName(TestWindowManager wm) {
    switch (wm) {
    case TestWindowManager::none:
        return "NoWM";
    case TestWindowManager::openbox:
        return "Openbox";
    case TestWindowManager::xfwm4:
        return "Xfwm4";
    case TestWindowManager::kwin:
        return "KWin";
    case TestWindowManager::mutter:
        return "Mutter";
    case TestWindowManager::icewm:
        return "IceWM";
    case TestWindowManager::fluxbox:
        return "Fluxbox";
    }
    return "?";
}

std::vector<TestWindowManager> installedWindowManagers() {
    std::vector<TestWindowManager> found = {TestWindowManager::none};
    for (const auto wm :
         {TestWindowManager::openbox, TestWindowManager::xfwm4, TestWindowManager::kwin,
          TestWindowManager::mutter, TestWindowManager::icewm, TestWindowManager::fluxbox})
        if (onPath(programOf(wm)))
            found.push_back(wm);
    return found;
}

bool XvfbServer::startWindowManager(bool replace) {
    if (wmHome_.empty()) {
        std::string pattern = std::filesystem::temp_directory_path() / "morvanta-wm-XXXXXX";
        if (!mkdtemp(pattern.data()))
            return false;
        wmHome_ = pattern;
        // Fluxbox's style sets a wallpaper through a helper that fails on Xvfb and says so in
        // a message window of its own, which tests would take for one of theirs.
        std::filesystem::create_directories(wmHome_ + "/.fluxbox");
        std::ofstream(wmHome_ + "/.fluxbox/overlay") << "background: none\n";
    }
    // A home of its own for its first-start files, and the system's data folders whatever a
    // test's private ones say: Openbox quits when it finds no theme.
    std::vector<std::string> argv = {
        "env", "-u", "XDG_DATA_DIRS", "-u", "XDG_CONFIG_HOME", "HOME=" + wmHome_};
    const auto command = windowManagerCommand(windowManager_, replace);
    argv.insert(argv.end(), command.begin(), command.end());
    const pid_t old = windowManagerPid_;
    windowManagerPid_ = spawnProcess(argv, display_);
    children_.push_back(windowManagerPid_);
    if (replace && old > 0) {
        // The old one hands over and exits on its own.
        waitFor([old] { return waitpid(old, nullptr, WNOHANG) == old; }, std::chrono::seconds(10));
        std::erase(children_, old);
        terminate(old);
    }
    return waitFor([this] { return windowManagerRunning(); }, std::chrono::seconds(20)) &&
           managesNewWindows();
}

bool XvfbServer::replaceWindowManager() {
    if (windowManager_ == TestWindowManager::none)
        return false;
    // Fluxbox cannot take over from a running one: it is ended first, as a crash would.
    if (windowManager_ == TestWindowManager::fluxbox) {
        terminate(windowManagerPid_);
        std::erase(children_, windowManagerPid_);
        windowManagerPid_ = -1;
    }
    return startWindowManager(true);
}

// A window manager announces itself a moment before it manages new windows, and a window
// mapped in that moment stays unmanaged. A probe window mapped (again, each second) until the
// window manager reparents it into a frame shows that the moment has passed.
bool XvfbServer::managesNewWindows() {
    int screenNumber = 0;
    if (!probe_)
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
    // Tests start once the window manager is done with the probe, so its news does not mix
    // with theirs. The connection stays open with the server: a later client given the same
    // window numbers gets its first window taken by the window manager for the probe.
    const bool released =
        waitFor([&] { return !listsClient(c, root, probe); }, std::chrono::seconds(5));
    return managed && released;
}

bool XvfbServer::windowManagerRunning() const {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display_.c_str(), &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    // Some client redirects the root's children: a window manager, whether or not it has named
    // its check window yet (Mutter replacing itself never does).
    xcb_screen_t* rootScreen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    auto attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, rootScreen->root), nullptr);
    const bool redirected =
        attributes && (attributes->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
    free(attributes);
    if (redirected) {
        xcb_disconnect(c);
        return true;
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
