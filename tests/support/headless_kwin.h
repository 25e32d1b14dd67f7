// HeadlessKWin: a private, headless KDE Plasma (Wayland) session for one test: kwin_wayland on a
// virtual framebuffer with Xwayland, its own session bus, runtime folder and home, and the
// programs the test starts in it. The constructor returns once KWin is proven ready: its Wayland
// socket exists, it owns org.kde.KWin on the bus, Xwayland is up, and a script of the test's
// own has run and reported back. Everything it started ends with the object, also when a test
// fails, and even when the test process is killed (see ProcessGroup); its bus starts no service
// on demand, so nothing else is left behind. error() says what could not start, with the tail
// of KWin's output.
//
// How Xwayland's DISPLAY is found: kwin_wayland starts the programs given after its options once
// its Wayland socket and Xwayland are up, with DISPLAY set to that Xwayland. The session passes
// a tiny shell script that writes its environment to a file in the runtime folder; the file's
// appearance proves Xwayland ready and names its display. (Watching /tmp/.X11-unix instead
// races with every other X server started on the machine.) KWin starts that script detached
// in a session of its own, so it writes and exits at once and leaves nothing behind.
//
// KWin is run as `unshare -Ur kwin_wayland …`: Debian gives kwin_wayland file capabilities,
// and a container refuses to exec such a file ("Operation not permitted"); inside a user
// namespace of its own the exec is allowed. KWin is root inside that namespace; the bus's
// EXTERNAL authentication compares the uid a client claims with the one the bus sees, which
// agree when the tests run as root (as in CI's container). Runs as another user are untried.
//
// The truth about windows is read through KWin's scripting interface: each query writes a
// script (see KWinQuery), loads it with org.kde.kwin.Scripting.loadScript, runs it
// (org.kde.kwin.Script.run on "/<id>" on KWin 5.27, "/Scripting/Script<id>" on KWin 6), waits
// for its one report over the bus, and unloads it.
#pragma once

#include "tests/support/kwin_query.h"
#include "tests/support/line_process.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace morvanta::testing {

class KWinBusClient;
class ProcessGroup;

// MORVANTA_TEST_KWIN_ROOT, or empty.
std::filesystem::path systemRootFromEnvironment();

struct HeadlessKWinOptions {
    int width = 1600;
    int height = 1000;
    // Outputs of width × height each, side by side (kwin_wayland's --output-count).
    int outputs = 1;
    // The compositor program and extra arguments (tests of the failure path change them).
    std::string program = "kwin_wayland";
    std::vector<std::string> extraArguments;
    // Another Debian's root folder whose /usr and /etc KWin runs on, in a mount namespace of its
    // own (the rest of the file system, /tmp and the build among it, stays this system's): how
    // the tests reach a Plasma other than the installed one (scripts/plasma6-root makes one).
    // Empty: the installed KWin. Defaults to MORVANTA_TEST_KWIN_ROOT.
    std::filesystem::path systemRoot = systemRootFromEnvironment();
    std::chrono::milliseconds startDeadline = std::chrono::seconds(30);
};

class HeadlessKWin {
public:
    explicit HeadlessKWin(HeadlessKWinOptions options = {});
    ~HeadlessKWin();
    HeadlessKWin(const HeadlessKWin&) = delete;
    HeadlessKWin& operator=(const HeadlessKWin&) = delete;

    // Whether kwin_wayland can run here at all (installed on PATH, or MORVANTA_TEST_KWIN_ROOT
    // names a root folder to run it from).
    static bool available();

    bool ok() const { return ready_; }
    const std::string& error() const { return error_; }

    const std::filesystem::path& runtimeDir() const { return runtimeDir_; }
    const std::string& waylandDisplay() const { return socketName_; }
    const std::string& x11Display() const { return x11Display_; } // Xwayland's ":N"
    const std::string& busAddress() const { return busAddress_; }
    pid_t kwinPid() const;

    // The variables a client of this session needs: WAYLAND_DISPLAY, XDG_RUNTIME_DIR, DISPLAY
    // (Xwayland, with XAUTHORITY when KWin gives one) and DBUS_SESSION_BUS_ADDRESS, plus the
    // private home's (HOME, XDG_CONFIG_HOME, …; a test's `extra` may point them elsewhere).
    std::map<std::string, std::string> clientEnvironment() const;
    // Starts a program in the session as a process group of its own, ended with the session
    // (or by end()); `extra` adds or overrides variables. Answers its pid (-1 on failure).
    pid_t spawn(const std::vector<std::string>& argv,
                const std::map<std::string, std::string>& extra = {});
    // Ends one spawned program and its group now.
    void end(pid_t pid);
    // A helper driven line by line (see LineProcess) with the session's environment.
    std::unique_ptr<LineProcess> startLineProcess(const std::string& program,
                                                  const std::vector<std::string>& arguments,
                                                  const std::map<std::string, std::string>& extra);
    // What KWin printed so far (its scripts' print() lines among it).
    std::string kwinOutput() const;
    // The process groups of everything the session runs: the bus, KWin, each spawned program.
    std::vector<pid_t> processGroups() const;

    // Ends KWin (and its Xwayland) and starts it again on the same bus and socket name, proven
    // ready as at first. Xwayland's display may change; clients of the old KWin lose it.
    bool restartKWin();

    // What KWin knows now; nullopt (with error() set) when the query failed. windows() and
    // screens() answer empty lists then: state() tells a failure from an empty desktop.
    std::optional<KWinState> state();
    std::vector<KWinWindow> windows();
    std::vector<KWinScreen> screens();
    // Polls windows() until one satisfies `wanted`; answers it, or nullopt at the deadline.
    std::optional<KWinWindow>
    waitForWindow(const std::function<bool(const KWinWindow&)>& wanted,
                  std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // Arranges a test's starting point through KWin itself; false when the window is unknown.
    bool setFrame(const std::string& id, const KWinRect& frame);
    bool minimize(const std::string& id, bool on = true);
    bool activate(const std::string& id);

private:
    bool makeFolders();
    bool startBus();
    bool startKWin();
    bool provenReady(std::chrono::steady_clock::time_point deadline);
    std::optional<KWinState> run(const KWinQuery& query);
    std::vector<std::string> environment(const std::map<std::string, std::string>& set,
                                         const std::vector<std::string>& unset) const;
    std::map<std::string, std::string> homeVariables() const;
    void failQuery(const std::string& what);
    std::string kwinOutputTail() const;
    void fail(const std::string& what);
    // fail() with the tail of KWin's output, for what KWin itself did not do.
    void failWithOutput(const std::string& what);

    HeadlessKWinOptions options_;
    std::filesystem::path root_; // removed at the end
    std::filesystem::path runtimeDir_;
    std::filesystem::path home_;
    std::string socketName_ = "wayland-morvanta";
    std::string busAddress_;
    std::string x11Display_;
    std::string xauthority_; // for Xwayland's clients; "" when it asks none
    std::unique_ptr<ProcessGroup> bus_;
    std::unique_ptr<KWinBusClient> client_;
    std::unique_ptr<ProcessGroup> kwin_;
    std::vector<std::unique_ptr<ProcessGroup>> spawned_;
    std::uint64_t nextToken_ = 1;
    bool ready_ = false;
    std::string error_;
};

} // namespace morvanta::testing
