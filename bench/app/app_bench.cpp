// bench_app: the real `morvanta` program on a private Xvfb under Openbox, measured from outside.
//   memory   resident set (VmRSS) with no window open and with 50 windows tiled
//   start-up from launch to the first tiled layout of 20 windows already open, beside the time a
//            bare Qt application takes to start on the same display (this program with --qt-start)
//   idle     with 20 windows tiled, the context switches of each of its threads over 10 s
// Settings, log and socket live in a private XDG sandbox, the welcome guide marked completed.
#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "ax/screen_geometry.h"
#include "bench/process_readings.h"
#include "core/layout_presets.h"
#include "tests/e2e_app/morvanta_process.h"
#include "tests/support/xdg_sandbox.h"
#include "tests/x11/x11_desktop.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace morvanta;
using namespace morvanta::testing;
using morvanta::bench::statusField;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Context switches per thread (by thread name and id).
std::map<std::string, long> switches(pid_t pid) {
    std::map<std::string, long> out;
    const auto tasks = std::filesystem::path("/proc") / std::to_string(pid) / "task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream nameFile(task.path() / "comm");
        std::string name;
        std::getline(nameFile, name);
        const auto status = task.path() / "status";
        out[name + "/" + task.path().filename().string()] =
            statusField(status, "voluntary_ctxt_switches") +
            statusField(status, "nonvoluntary_ctxt_switches");
    }
    return out;
}

class Bench {
public:
    Bench() {
        const auto runtime = sandbox.root() / "runtime";
        mkdir(runtime.c_str(), 0700);
        sandbox.set("XDG_RUNTIME_DIR", runtime.string());
        FilePreferencesDomain domain(std::string(FilePreferencesDomain::standardDomainName),
                                     nullptr);
        AppSettings(domain).setOnboardingCompleted(true);
    }

    bool ok() { return desktop.ok(); }

    void open(int count) {
        for (int i = 0; i < count; ++i)
            desktop.open("w" + std::to_string(opened++), 20 + i * 7, 20 + i * 5, 300, 200);
    }

    // All windows at a slot of the default layout.
    bool tiled() {
        const auto all = desktop.system().windowList().all();
        const auto visible = desktop.system().screenSource().screens().front().visibleFrame;
        const auto places = LayoutPresets::frames(
            static_cast<int>(all.size()), LayoutKind::mainStack, {}, {}, visible, LayoutOptions{});
        std::vector<bool> used(places.size(), false);
        for (const auto& w : all) {
            const auto frame = w.frame();
            bool found = false;
            for (std::size_t i = 0; frame && i < places.size() && !found; ++i)
                if (!used[i] && frameMatches(*frame, places[i], std::nullopt))
                    used[i] = found = true;
            if (!found)
                return false;
        }
        return !all.empty();
    }

    bool logged(const std::string& text) {
        return sandbox.morvantaLog().find(text) != std::string::npos;
    }

    std::unique_ptr<MorvantaProcess> launch() {
        return std::make_unique<MorvantaProcess>(
            desktop.server().display(), std::vector<std::string>{}, sandbox.root() / "output.txt");
    }

    // Wall time of this program started with --qt-start on the display.
    double qtStart(const char* self) {
        const auto start = Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("DISPLAY", desktop.server().display().c_str(), 1);
            setenv("QT_QPA_PLATFORM", "xcb", 1);
            execl(self, self, "--qt-start", nullptr);
            _exit(127);
        }
        waitpid(pid, nullptr, 0);
        return msSince(start);
    }

    XdgSandbox sandbox;
    X11Desktop desktop{desktopOptions(true)};
    int opened = 0;
};

long rssKiB(pid_t pid) {
    return statusField(std::filesystem::path("/proc") / std::to_string(pid) / "status", "VmRSS");
}

void memory() {
    Bench bench;
    if (!bench.ok())
        return;
    auto morvanta = bench.launch();
    waitFor([&] { return bench.logged("Tiling started."); }, 15s);
    std::this_thread::sleep_for(1s);
    const long empty = rssKiB(morvanta->pid());
    bench.open(50);
    const bool tiled = waitFor([&] { return bench.tiled(); }, 30s);
    std::this_thread::sleep_for(1s);
    const long fifty = rssKiB(morvanta->pid());
    std::printf("memory: resident %.1f MB with no window, %.1f MB with 50 windows %s "
                "(target at most 40 MB)\n",
                empty / 1024.0, fifty / 1024.0, tiled ? "tiled" : "open (NOT tiled)");
}

void startupAndIdle(const char* self) {
    Bench bench;
    if (!bench.ok())
        return;
    bench.open(20);
    double qt = 0;
    for (int i = 0; i < 3; ++i)
        qt += bench.qtStart(self) / 3;
    const auto start = Clock::now();
    auto morvanta = bench.launch();
    const bool tiled = waitFor([&] { return bench.tiled(); }, 30s, 1ms);
    const double toTiled = msSince(start);
    std::printf("start-up: %.0f ms from launch to 20 windows tiled%s; a bare Qt application "
                "starts in %.0f ms; beyond it: %.0f ms (target under 300 ms)\n",
                toTiled, tiled ? "" : " (NOT tiled)", qt, toTiled - qt);

    std::this_thread::sleep_for(2s);
    const auto before = switches(morvanta->pid());
    std::this_thread::sleep_for(10s);
    const auto after = switches(morvanta->pid());
    std::printf("idle: context switches over 10 s with 20 windows tiled, per thread:");
    for (const auto& [thread, count] : after) {
        const auto was = before.find(thread);
        std::printf(" %s %ld;", thread.c_str(), count - (was == before.end() ? 0 : was->second));
    }
    std::printf("\n");
    morvanta->signal(SIGTERM);
    morvanta->waitExit();
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--qt-start") {
        QApplication app(argc, argv);
        return 0;
    }
    memory();
    startupAndIdle(argv[0]);
    return 0;
}
