#include "tests/support/headless_kwin.h"

#include "tests/support/kwin_bus_client.h"
#include "tests/support/process_group.h"
#include "tests/support/xvfb_server.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace morvanta::testing {

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr milliseconds queryDeadline = std::chrono::seconds(5);

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool writeFile(const fs::path& path, const std::string& text, fs::perms perms) {
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        if (!(file << text))
            return false;
    }
    std::error_code failed;
    fs::permissions(path, perms, failed);
    return !failed;
}

// The last `count` lines of `text`.
std::string lastLines(const std::string& text, int count) {
    std::size_t start = text.size();
    for (int lines = 0; start > 0 && lines <= count;)
        if (text[--start] == '\n')
            ++lines;
    return text.substr(start == 0 ? 0 : start + 1);
}

// One variable of an environment written by `env -0`; nullopt when it is not set.
std::optional<std::string> variableIn(const std::string& dump, const std::string& name) {
    const std::string prefix = name + "=";
    for (std::size_t start = 0; start < dump.size();) {
        const std::size_t end = std::min(dump.find('\0', start), dump.size());
        if (dump.compare(start, prefix.size(), prefix) == 0)
            return dump.substr(start + prefix.size(), end - start - prefix.size());
        start = end + 1;
    }
    return std::nullopt;
}

// A bus with no service folders: nothing is started on demand, so nothing but what the
// session starts itself can be left running when it ends.
std::string busConfiguration(const fs::path& socket) {
    return R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=)" +
           socket.string() + R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";
}

} // namespace

std::filesystem::path systemRootFromEnvironment() {
    const char* root = std::getenv("MORVANTA_TEST_KWIN_ROOT");
    return root ? root : "";
}

bool HeadlessKWin::available() {
    // A root folder named but not made is a failure to report (startKWin says so), not a KWin
    // missing from this system that a test may skip.
    return (!systemRootFromEnvironment().empty() || onPath("kwin_wayland")) && onPath("unshare");
}

HeadlessKWin::HeadlessKWin(HeadlessKWinOptions options) : options_(std::move(options)) {
    const auto deadline = std::chrono::steady_clock::now() + options_.startDeadline;
    if (makeFolders() && startBus() && startKWin())
        ready_ = provenReady(deadline);
}

HeadlessKWin::~HeadlessKWin() {
    for (auto it = spawned_.rbegin(); it != spawned_.rend(); ++it)
        (*it)->end();
    spawned_.clear();
    kwin_.reset();
    client_.reset();
    bus_.reset();
    std::error_code ignored;
    if (!root_.empty())
        fs::remove_all(root_, ignored);
}

bool HeadlessKWin::makeFolders() {
    std::string pattern = fs::temp_directory_path() / "morvanta-kwin-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        fail("cannot make a folder under " + fs::temp_directory_path().string());
        return false;
    }
    root_ = pattern; // mkdtemp makes it 0700: the runtime folder inside stays private
    runtimeDir_ = root_ / "runtime";
    home_ = root_ / "home";
    std::error_code failed;
    for (const auto& folder : {runtimeDir_, home_ / ".config", home_ / ".local/share",
                               home_ / ".local/state", home_ / ".cache"})
        fs::create_directories(folder, failed);
    fs::permissions(runtimeDir_, fs::perms::owner_all, failed);
    const std::string dump = (runtimeDir_ / "session.env").string();
    if (failed || dump.find('\'') != std::string::npos) {
        fail("cannot make the session's folders in " + root_.string());
        return false;
    }
    // Started by KWin once Xwayland is up; written under another name first so the file is
    // never seen half-written.
    const std::string script =
        "#!/bin/sh\nenv -0 > '" + dump + ".part' && mv '" + dump + ".part' '" + dump + "'\n";
    const auto executable = fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec;
    if (!writeFile(root_ / "dump-environment", script, executable) ||
        !writeFile(root_ / "bus.conf", busConfiguration(runtimeDir_ / "bus"),
                   fs::perms::owner_read | fs::perms::owner_write)) {
        fail("cannot write the session's files in " + root_.string());
        return false;
    }
    return true;
}

bool HeadlessKWin::startBus() {
    bus_ = std::make_unique<ProcessGroup>(
        std::vector<std::string>{"dbus-daemon", "--config-file=" + (root_ / "bus.conf").string(),
                                 "--nofork", "--nopidfile"},
        environment(homeVariables(), {}), (root_ / "bus.log").string());
    busAddress_ = "unix:path=" + (runtimeDir_ / "bus").string();
    const bool connected = waitFor(
        [this] {
            if (!bus_->running())
                return true;
            if (fs::exists(runtimeDir_ / "bus"))
                client_ = std::make_unique<KWinBusClient>(busAddress_);
            return client_ && client_->ok();
        },
        std::chrono::seconds(10), milliseconds(10));
    if (!connected || !client_ || !client_->ok()) {
        fail("dbus-daemon did not start: " + readFile(root_ / "bus.log") +
             (client_ ? client_->error() : std::string()));
        client_.reset();
        return false;
    }
    return true;
}

bool HeadlessKWin::startKWin() {
    std::error_code ignored;
    fs::remove(runtimeDir_ / "session.env", ignored);
    fs::remove(root_ / "kwin.log", ignored);
    std::vector<std::string> argv = {"unshare", "-Ur"};
    if (!options_.systemRoot.empty()) {
        if (access((options_.systemRoot / "usr/bin" / options_.program).c_str(), X_OK) != 0) {
            fail("no " + options_.program + " in " + options_.systemRoot.string() +
                 " (scripts/plasma6-root makes it)");
            return false;
        }
        // The other system's /usr (programs and libraries; /bin and /lib point into it) and
        // /etc (its library cache and configuration) over this one's, for KWin and everything
        // it starts.
        argv = {"unshare",
                "-Urm",
                "sh",
                "-c",
                R"(mount --rbind "$0/usr" /usr && mount --rbind "$0/etc" /etc && exec "$@")",
                options_.systemRoot.string()};
    }
    argv.insert(argv.end(), {options_.program, "--virtual", "--xwayland", "--no-lockscreen",
                             "--width", std::to_string(options_.width), "--height",
                             std::to_string(options_.height), "--socket", socketName_});
    if (options_.outputs > 1) {
        argv.push_back("--output-count");
        argv.push_back(std::to_string(options_.outputs));
    }
    argv.insert(argv.end(), options_.extraArguments.begin(), options_.extraArguments.end());
    argv.push_back((root_ / "dump-environment").string());
    auto variables = homeVariables();
    variables["XDG_RUNTIME_DIR"] = runtimeDir_.string();
    variables["DBUS_SESSION_BUS_ADDRESS"] = busAddress_;
    // Scripts' print() lines go to KWin's output, where a failed test shows them.
    variables["QT_LOGGING_RULES"] = "kwin_scripting.debug=true";
    // KWin finds its own data in the system's folders, whatever a test's sandbox says; and it
    // must not take a display or platform meant for the test itself.
    kwin_ = std::make_unique<ProcessGroup>(
        argv,
        environment(variables, {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XAUTHORITY",
                                "QT_QPA_PLATFORM", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS",
                                "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP"}),
        (root_ / "kwin.log").string());
    if (!kwin_->ok()) {
        failWithOutput("cannot fork for " + options_.program);
        return false;
    }
    return true;
}

bool HeadlessKWin::provenReady(std::chrono::steady_clock::time_point deadline) {
    const auto left = [deadline] {
        return std::max(milliseconds(0), std::chrono::duration_cast<milliseconds>(
                                             deadline - std::chrono::steady_clock::now()));
    };
    const fs::path dump = runtimeDir_ / "session.env";
    const bool started = waitFor(
        [&] {
            return !kwin_->running() ||
                   (fs::exists(runtimeDir_ / socketName_) && fs::exists(dump) &&
                    !client_->ownerOf("org.kde.KWin").empty());
        },
        left(), milliseconds(20));
    if (!kwin_->running()) {
        failWithOutput(options_.program + " exited with status " +
                       std::to_string(kwin_->exitStatus()));
        return false;
    }
    if (!started) {
        failWithOutput(options_.program + " was not ready within the deadline (socket " +
                       (fs::exists(runtimeDir_ / socketName_) ? "up" : "missing") + ", Xwayland " +
                       (fs::exists(dump) ? "up" : "missing") + ", org.kde.KWin " +
                       (client_->ownerOf("org.kde.KWin").empty() ? "unowned" : "owned") + ")");
        return false;
    }
    const auto display = variableIn(readFile(dump), "DISPLAY");
    if (!display || display->empty()) {
        failWithOutput(options_.program +
                       " started no Xwayland (no DISPLAY in its programs' environment)");
        return false;
    }
    x11Display_ = *display;
    // KWin 5.27 runs Xwayland without authorization and sets XAUTHORITY empty; a KWin that
    // makes an authority file names it here, and its clients need it.
    xauthority_ = variableIn(readFile(dump), "XAUTHORITY").value_or("");
    // The scripting interface answers a moment after the name is taken.
    const bool answered = waitFor([this] { return state().has_value(); }, left(), milliseconds(50));
    if (!answered)
        failWithOutput("KWin's scripting did not answer: " + error_);
    return answered;
}

pid_t HeadlessKWin::kwinPid() const {
    return kwin_ ? kwin_->pid() : -1;
}

std::map<std::string, std::string> HeadlessKWin::homeVariables() const {
    return {{"HOME", home_.string()},
            {"XDG_CONFIG_HOME", (home_ / ".config").string()},
            {"XDG_DATA_HOME", (home_ / ".local/share").string()},
            {"XDG_STATE_HOME", (home_ / ".local/state").string()},
            {"XDG_CACHE_HOME", (home_ / ".cache").string()}};
}

std::map<std::string, std::string> HeadlessKWin::clientEnvironment() const {
    auto variables = homeVariables();
    variables["WAYLAND_DISPLAY"] = socketName_;
    variables["XDG_RUNTIME_DIR"] = runtimeDir_.string();
    variables["DISPLAY"] = x11Display_;
    if (!xauthority_.empty())
        variables["XAUTHORITY"] = xauthority_;
    variables["DBUS_SESSION_BUS_ADDRESS"] = busAddress_;
    return variables;
}

std::vector<std::string> HeadlessKWin::environment(const std::map<std::string, std::string>& set,
                                                   const std::vector<std::string>& unset) const {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (!set.contains(name) && std::find(unset.begin(), unset.end(), name) == unset.end())
            result.push_back(text);
    }
    for (const auto& [name, value] : set)
        result.push_back(name + "=" + value);
    return result;
}

pid_t HeadlessKWin::spawn(const std::vector<std::string>& argv,
                          const std::map<std::string, std::string>& extra) {
    auto variables = clientEnvironment();
    for (const auto& [name, value] : extra)
        variables[name] = value;
    auto process = std::make_unique<ProcessGroup>(argv, environment(variables, {"XAUTHORITY"}),
                                                  (root_ / "clients.log").string());
    const pid_t pid = process->ok() ? process->pid() : -1;
    if (pid > 0)
        spawned_.push_back(std::move(process));
    return pid;
}

void HeadlessKWin::end(pid_t pid) {
    const auto it = std::find_if(spawned_.begin(), spawned_.end(),
                                 [pid](const auto& process) { return process->pid() == pid; });
    if (it == spawned_.end())
        return;
    (*it)->end();
    spawned_.erase(it);
}

std::unique_ptr<LineProcess>
HeadlessKWin::startLineProcess(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::map<std::string, std::string>& extra) {
    auto variables = clientEnvironment();
    for (const auto& [name, value] : extra)
        variables[name] = value;
    return std::make_unique<LineProcess>(program, arguments, x11Display_, variables);
}

std::vector<pid_t> HeadlessKWin::processGroups() const {
    std::vector<pid_t> groups;
    for (const auto* process : {bus_.get(), kwin_.get()})
        if (process && process->pid() > 0)
            groups.push_back(process->pid());
    for (const auto& process : spawned_)
        groups.push_back(process->pid());
    return groups;
}

bool HeadlessKWin::restartKWin() {
    ready_ = false;
    if (!client_) {
        fail("the session never started");
        return false;
    }
    kwin_.reset();
    // The bus drops KWin's names when its connection closes; the next KWin takes them anew.
    if (!waitFor([this] { return client_->ownerOf("org.kde.KWin").empty(); },
                 std::chrono::seconds(5))) {
        fail("org.kde.KWin still owned after KWin ended");
        return false;
    }
    error_.clear();
    const auto deadline = std::chrono::steady_clock::now() + options_.startDeadline;
    ready_ = startKWin() && provenReady(deadline);
    return ready_;
}

std::optional<KWinState> HeadlessKWin::state() {
    return run(KWinQuery(nextToken_++));
}

std::vector<KWinWindow> HeadlessKWin::windows() {
    auto current = state();
    return current ? current->windows : std::vector<KWinWindow>{};
}

std::vector<KWinScreen> HeadlessKWin::screens() {
    auto current = state();
    return current ? current->screens : std::vector<KWinScreen>{};
}

std::optional<KWinWindow>
HeadlessKWin::waitForWindow(const std::function<bool(const KWinWindow&)>& wanted,
                            std::chrono::milliseconds deadline) {
    std::optional<KWinWindow> found;
    waitFor(
        [&] {
            for (const auto& window : windows())
                if (wanted(window))
                    found = window;
            return found.has_value();
        },
        deadline, milliseconds(50));
    return found;
}

bool HeadlessKWin::setFrame(const std::string& id, const KWinRect& frame) {
    return run(KWinQuery::setFrame(nextToken_++, id, frame)).has_value();
}

bool HeadlessKWin::minimize(const std::string& id, bool on) {
    return run(KWinQuery::minimize(nextToken_++, id, on)).has_value();
}

bool HeadlessKWin::activate(const std::string& id) {
    return run(KWinQuery::activate(nextToken_++, id)).has_value();
}

std::optional<KWinState> HeadlessKWin::run(const KWinQuery& query) {
    if (!client_ || !kwin_ || !kwin_->running()) {
        failWithOutput(kwin_ ? options_.program + " is not running (exit status " +
                                   std::to_string(kwin_->exitStatus()) + ")"
                             : "the session has no KWin");
        return std::nullopt;
    }
    const std::string token = std::to_string(query.token());
    const fs::path file = runtimeDir_ / ("query-" + token + ".js");
    const std::string plugin = "morvanta-test-query-" + token;
    if (!writeFile(file, query.script(), fs::perms::owner_read | fs::perms::owner_write)) {
        fail("cannot write " + file.string());
        return std::nullopt;
    }
    std::optional<std::string> report;
    const int id = client_->loadScript(file.string(), plugin);
    if (id >= 0 && client_->runScript(id))
        report = client_->waitForReport([&](const std::string& r) { return query.isMine(r); },
                                        queryDeadline);
    const std::string busError = client_->error();
    if (id >= 0)
        client_->unloadScript(plugin);
    std::error_code ignored;
    fs::remove(file, ignored);
    if (!report) {
        failQuery("no report from KWin's script" + (busError.empty() ? "" : ": " + busError));
        return std::nullopt;
    }
    std::string scriptError;
    auto state = query.read(*report, scriptError);
    if (!state)
        fail(scriptError);
    return state;
}

// A query that found no KWin on the bus most likely met a KWin that is ending (it crashed, or
// a test ended it): once it has, the error says so rather than blame the script.
void HeadlessKWin::failQuery(const std::string& what) {
    const bool gone = client_->ownerOf("org.kde.KWin").empty() &&
                      waitFor([this] { return !kwin_->running(); }, std::chrono::seconds(1));
    if (gone)
        failWithOutput(options_.program + " is not running (exit status " +
                       std::to_string(kwin_->exitStatus()) + ")");
    else
        fail(what);
}

std::string HeadlessKWin::kwinOutput() const {
    return root_.empty() ? std::string() : readFile(root_ / "kwin.log");
}

std::string HeadlessKWin::kwinOutputTail() const {
    return lastLines(readFile(root_ / "kwin.log"), 15);
}

void HeadlessKWin::fail(const std::string& what) {
    error_ = what;
}

void HeadlessKWin::failWithOutput(const std::string& what) {
    error_ = what;
    const std::string tail = root_.empty() ? "" : kwinOutputTail();
    if (!tail.empty())
        error_ += "\n" + options_.program + "'s output ends with:\n" + tail;
}

} // namespace morvanta::testing
