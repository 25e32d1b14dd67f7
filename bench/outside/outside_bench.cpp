// bench_outside: the whole `morvanta` process measured from outside, as a user pays for it, on
// a private Xvfb (1600×1000) without a window manager and beside each window manager of the
// matrix that is installed (or only those named: bench_outside Openbox KWin …).
//   switch      Alt+1/Alt+2 pressed through XTEST with 20 windows on each workspace: from the
//               key press to the last configure, map or unmap event of a window
//   new window  with 50 windows open, from mapping one more to the last event of the relayout
//               (the 60 ms refresh debounce included)
//   CPU         the process's CPU time per operation, every thread (/proc/PID/task/*/schedstat),
//               read around each operation: the median, and the mean over all rounds (which one
//               disturbed round, the machine's rather than Morvanta's, can move far)
//   idle        context switches of every thread over 10 s with nothing happening
//   memory      resident set (VmRSS) with 50 windows
//   Qt floor    before Morvanta starts: the resident set of the least Qt Widgets program
//               (bench-qt-floor: a QApplication on the display, nothing shown) on the same
//               display and bus; the part of Morvanta's memory the toolkit alone takes
//   floor       before Morvanta starts: the display server (and window manager) carrying out a
//               relayout of 51 windows that the benchmark's client asks for in one write, from
//               the write to the last event; the part of a new window's time no tiler can save
//   wakes       context switches of every thread per switch and per new window
// Morvanta runs with private XDG folders and session bus, the welcome guide marked completed.
// --rounds N repeats each operation N times (20 by default). With --profile DIR, `perf record`
// samples the process (every thread, with call graphs) during the switches and the new windows,
// into DIR/<window manager>-switch.data and -new-window.data; `perf report -i FILE --no-children`
// shows where the time goes.
#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "bench/outside/outside_client.h"
#include "bench/process_readings.h"
#include "bench/spread.h"
#include "tests/e2e_app/morvanta_process.h"
#include "tests/support/session_bus.h"
#include "tests/support/xdg_sandbox.h"
#include "tests/support/xvfb_server.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace morvanta;
using namespace morvanta::bench;
using namespace morvanta::testing;
using namespace std::chrono_literals;

namespace {

int rounds = 20; // --rounds N
constexpr auto quiet = 300ms;

struct Figures {
    Spread switching, newWindow, serverFloor, cpuPerSwitch, cpuPerNewWindow;
    double cpuMeanPerSwitch = 0, cpuMeanPerNewWindow = 0;
    // Context switches of every thread per operation: how often the process woke for it.
    double wakesPerSwitch = 0, wakesPerNewWindow = 0;
    long long idleSwitches = 0;
    double rssMegabytes = 0, qtFloorMegabytes = 0;
    std::string error;
};

// `perf record` on a process while it lives; ended (and its file written) when it goes out of
// scope. Without a folder it does nothing.
class Profile {
public:
    Profile(const std::filesystem::path& folder, const std::string& name, pid_t target) {
        if (folder.empty())
            return;
        const auto file = (folder / (name + ".data")).string();
        const auto pid = std::to_string(target);
        perf_ = fork();
        if (perf_ == 0) {
            execlp("perf", "perf", "record", "-q", "-F", "4000", "--call-graph", "dwarf,16384",
                   "-o", file.c_str(), "-p", pid.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // perf attaches within a moment; samples before that would be lost.
        std::this_thread::sleep_for(500ms);
    }
    ~Profile() {
        if (perf_ <= 0)
            return;
        kill(perf_, SIGINT);
        waitpid(perf_, nullptr, 0);
    }
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

private:
    pid_t perf_ = -1;
};

Figures failed(const std::string& error) {
    Figures f;
    f.error = error;
    return f;
}

bool waitForLog(const XdgSandbox& sandbox, const std::string& text) {
    return waitFor([&] { return sandbox.morvantaLog().find(text) != std::string::npos; }, 20s,
                   20ms);
}

// Relayouts of 51 windows of the client's own, as a tiler's when a 51st window joins 50 side by
// side: alternately in 50 columns (the last two windows sharing one) and in 51.
Spread serverFloor(OutsideClient& client) {
    constexpr int count = 51;
    std::vector<std::uint32_t> windows;
    for (int i = 0; i < count; ++i)
        windows.push_back(client.open(200 + i));
    client.lastEventAfter(Clock::now(), quiet);
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        const int columns = count - r % 2;
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i) {
            const int column = std::min(i, columns - 1);
            client.place(windows[i], column * 1600 / columns, 0, 1600 / columns, 1000);
        }
        client.flush();
        times.push_back(ms(client.lastEventAfter(start, quiet) - start));
    }
    for (const auto window : windows)
        client.close(window);
    client.lastEventAfter(Clock::now(), quiet);
    return spread(times);
}

double residentMegabytes(pid_t pid) {
    return statusField(std::filesystem::path("/proc") / std::to_string(pid) / "status", "VmRSS") /
           1024.0;
}

// The resident set of bench-qt-floor on `display`, a second after its event loop first turned;
// 0 when it did not start.
double qtFloor(const std::string& display) {
    int out[2];
    if (pipe(out) != 0)
        return 0;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        for (const auto& [name, value] : MorvantaProcess::x11Session(display))
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        execl(QT_FLOOR_BINARY, QT_FLOOR_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    pollfd ready{out[0], POLLIN, 0};
    char line[16] = {};
    double megabytes = 0;
    if (pid > 0 && poll(&ready, 1, 20000) == 1 && read(out[0], line, sizeof line - 1) > 0) {
        std::this_thread::sleep_for(1s);
        megabytes = residentMegabytes(pid);
    }
    close(out[0]);
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return megabytes;
}

Figures measure(TestWindowManager wm, const std::filesystem::path& profiles) {
    Figures f;
    XvfbOptions options;
    options.width = 1600;
    options.height = 1000;
    options.windowManager = wm;
    XvfbServer server(options);
    if (!server.ok())
        return failed(server.error());
    XdgSandbox sandbox;
    const auto runtime = sandbox.root() / "runtime";
    mkdir(runtime.c_str(), 0700);
    sandbox.set("XDG_RUNTIME_DIR", runtime.string());
    SessionBus bus;
    sandbox.set("DBUS_SESSION_BUS_ADDRESS", bus.address());
    {
        FilePreferencesDomain domain(std::string(FilePreferencesDomain::standardDomainName),
                                     nullptr);
        AppSettings settings(domain);
        settings.setOnboardingCompleted(true);
    }
    OutsideClient client(server.display());
    if (!client.ok())
        return failed("the benchmark's client could not connect");
    f.serverFloor = serverFloor(client);
    f.qtFloorMegabytes = qtFloor(server.display());
    MorvantaProcess morvanta(server.display(), {}, sandbox.root() / "output.txt");
    if (!client.ok() || !waitForLog(sandbox, "Tiling started."))
        return failed("Morvanta did not start: " + morvanta.output());

    // Twenty windows on workspace 1, twenty on workspace 2.
    for (int i = 0; i < 20; ++i)
        client.open(i);
    client.lastEventAfter(Clock::now(), 1s);
    client.pressAlt('2');
    client.lastEventAfter(Clock::now(), 1s);
    for (int i = 20; i < 40; ++i)
        client.open(i);
    client.lastEventAfter(Clock::now(), 1s);

    const auto name = windowManagerName(wm);
    std::vector<double> switches, switchCpu;
    std::optional<Profile> profile;
    profile.emplace(profiles, name + "-switch", morvanta.pid());
    const auto wakesBefore = contextSwitches(morvanta.pid());
    for (int r = 0; r < rounds; ++r) {
        const auto cpu = cpuNanoseconds(morvanta.pid());
        const auto start = Clock::now();
        client.pressAlt(r % 2 ? '2' : '1');
        switches.push_back(ms(client.lastEventAfter(start, quiet) - start));
        switchCpu.push_back((cpuNanoseconds(morvanta.pid()) - cpu) / 1e6);
    }
    f.cpuPerSwitch = spread(switchCpu);
    f.cpuMeanPerSwitch = mean(switchCpu);
    f.wakesPerSwitch = double(contextSwitches(morvanta.pid()) - wakesBefore) / rounds;
    f.switching = spread(switches);
    profile.reset();

    // Fifty open on the workspace shown, then one more at a time.
    for (int i = 40; i < 70; ++i)
        client.open(i);
    client.lastEventAfter(Clock::now(), 1s);
    std::vector<double> opened, openingCpu;
    long long wakesOpening = 0;
    profile.emplace(profiles, name + "-new-window", morvanta.pid());
    for (int r = 0; r < rounds; ++r) {
        const auto cpu = cpuNanoseconds(morvanta.pid());
        const auto wakes = contextSwitches(morvanta.pid());
        const auto start = Clock::now();
        const auto window = client.open(100 + r);
        opened.push_back(ms(client.lastEventAfter(start, quiet) - start));
        openingCpu.push_back((cpuNanoseconds(morvanta.pid()) - cpu) / 1e6);
        wakesOpening += contextSwitches(morvanta.pid()) - wakes;
        client.close(window);
        client.lastEventAfter(Clock::now(), quiet);
    }
    f.newWindow = spread(opened);
    f.cpuPerNewWindow = spread(openingCpu);
    f.cpuMeanPerNewWindow = mean(openingCpu);
    f.wakesPerNewWindow = double(wakesOpening) / rounds;
    profile.reset();

    std::this_thread::sleep_for(1s);
    const auto idleBefore = contextSwitches(morvanta.pid());
    std::this_thread::sleep_for(10s);
    f.idleSwitches = contextSwitches(morvanta.pid()) - idleBefore;
    f.rssMegabytes = residentMegabytes(morvanta.pid());
    morvanta.signal(SIGTERM);
    morvanta.waitExit();
    return f;
}

} // namespace

int main(int argc, char** argv) {
    std::filesystem::path profiles;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--profile" && i + 1 < argc)
            profiles = argv[++i];
        else if (std::string(argv[i]) == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            names.emplace_back(argv[i]);
    }
    if (!profiles.empty())
        std::filesystem::create_directories(profiles);
    std::vector<TestWindowManager> chosen;
    for (const auto wm : installedWindowManagers())
        if (names.empty() || std::ranges::find(names, windowManagerName(wm)) != names.end())
            chosen.push_back(wm);
    std::printf(
        "| Window manager | Switch median / p95 (ms) | CPU per switch median / mean (ms) "
        "| New window median / p95 (ms) | CPU per new window median / mean (ms) | Idle "
        "context switches (10 s) | "
        "RSS (MB) | Wakes per switch / new window | Server relayout floor (ms) | Qt floor RSS (MB) "
        "|\n|---|---|---|---|---|---|---|---|---|---|\n");
    std::fflush(stdout);
    for (const auto wm : chosen) {
        const auto f = measure(wm, profiles);
        if (!f.error.empty()) {
            std::printf("| %s | %s |\n", windowManagerName(wm).c_str(), f.error.c_str());
            continue;
        }
        std::printf(
            "| %s | %.1f / %.1f | %.2f / %.2f | %.1f / %.1f | %.2f / %.2f | %lld | %.1f | %.1f / "
            "%.1f | %.2f | %.1f |\n",
            windowManagerName(wm).c_str(), f.switching.median, f.switching.p95,
            f.cpuPerSwitch.median, f.cpuMeanPerSwitch, f.newWindow.median, f.newWindow.p95,
            f.cpuPerNewWindow.median, f.cpuMeanPerNewWindow, f.idleSwitches, f.rssMegabytes,
            f.wakesPerSwitch, f.wakesPerNewWindow, f.serverFloor.median, f.qtFloorMegabytes);
        std::fflush(stdout);
    }
    return 0;
}
