// bench_kwin: the whole `morvanta` program measured in a private headless KWin (Wayland, 1600×1000,
// `kwin_wayland --virtual`), with native Wayland windows of the test client, as KWin itself
// reports them through a script of the benchmark's own (see KWinWatch; every time is the
// arrival of that script's D-Bus message, stamped by a thread that does nothing else):
//   switch      with 20 windows on workspace 1 and 20 on workspace 2: from writing the request
//               line `workspace N` to Morvanta's command socket (no `morvanta msg` process) to
//               the moment KWin had every window of the other workspace minimised or parked and
//               every window of N shown at its tiled frame; also to Morvanta's reply line
//   new window  with 20 windows shown: from KWin announcing the window (windowAdded) to the
//               first frame change Morvanta caused, and to the last one of the relayout, the new
//               window's final frame included (the 60 ms refresh debounce is part of both)
//   CPU         Morvanta's and KWin's CPU time per operation, every thread, until KWin is idle
//               again (it composites in software and repaints after windows move)
//   bridge      with Morvanta gone, the benchmark plays its half of the bridge (BridgeProbe):
//               from answering the script's Poll with a batch to the Poll acknowledging it
// Every operation starts from an idle KWin. Morvanta runs with private XDG folders, the welcome
// guide marked completed, and chooses the KWin backend by itself. --rounds N repeats each
// operation N times (20 by default). Without kwin_wayland it says so and measures nothing.
#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "ax/screen_geometry.h"
#include "bench/kwin/bridge_probe.h"
#include "bench/kwin/command_socket.h"
#include "bench/kwin/cpu_meter.h"
#include "bench/kwin/kwin_watch.h"
#include "bench/kwin/window_timeline.h"
#include "bench/process_readings.h"
#include "bench/spread.h"
#include "tests/e2e_app/morvanta_process.h"
#include "tests/support/headless_kwin.h"
#include "tests/support/xdg_sandbox.h"
#include "tests/support/xvfb_server.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

using namespace morvanta;
using namespace morvanta::bench;
using namespace morvanta::testing;
using namespace std::chrono_literals;

namespace {

int rounds = 20; // --rounds N
constexpr int perWorkspace = 20;
// An operation is over once its end state holds and no window changed for this long.
constexpr auto quiet = 300ms;

struct Figures {
    Spread switching, switchReply, newWindow, newWindowFirstMove, bridgeSwitch, bridgeOne;
    double morvantaCpuPerSwitch = 0, kwinCpuPerSwitch = 0;
    double morvantaCpuPerNewWindow = 0, kwinCpuPerNewWindow = 0;
    std::string error;
};

std::string captionOf(char workspace, int index) {
    return std::string(1, workspace) + std::to_string(index);
}

// Whether two frames overlap by no more than a rounding pixel: slots of 1000 / 19 points land
// on whole pixels, a position and a size each rounded.
bool apart(const KWinRect& one, const KWinRect& other) {
    constexpr int rounding = 1;
    return one.x + rounding >= other.x + other.width ||
           one.y + rounding >= other.y + other.height || one.x + one.width <= other.x + rounding ||
           one.y + one.height <= other.y + rounding;
}

// Everything one measurement runs in: the session, Morvanta, the windows' owner, the watch.
struct Bench {
    XdgSandbox sandbox;
    std::unique_ptr<HeadlessKWin> session;
    std::unique_ptr<MorvantaProcess> morvanta;
    std::unique_ptr<LineProcess> client;
    std::unique_ptr<KWinWatch> watch;
    std::unique_ptr<WindowTimeline> timeline;
    std::filesystem::path socket;
    std::unique_ptr<CommandSocket> commands;
    KWinRect screen;
    std::vector<Screen> screens; // as Morvanta's parking sees them
    // The frame each window of either workspace takes when its workspace shows, by caption.
    std::map<std::string, KWinRect> tiled;
};

bool logged(const XdgSandbox& sandbox, const std::string& text) {
    return sandbox.morvantaLog().find(text) != std::string::npos;
}

// The lines of Morvanta's log that contain `text`, for an error.
std::string loggedLines(const XdgSandbox& sandbox, const std::string& text) {
    std::istringstream log(sandbox.morvantaLog());
    std::string line, found;
    while (std::getline(log, line))
        if (line.find(text) != std::string::npos)
            found += "\n  Morvanta's log: " + line;
    return found;
}

Rect toRect(const KWinRect& r) {
    return {double(r.x), double(r.y), double(r.width), double(r.height)};
}

// Minimised, or parked where Morvanta parks windows on KWin.
bool hidden(const Bench& b, const KWinWindow& w) {
    return w.minimized || ScreenGeometry::isParkedPosition(b.screens, toRect(w.frame));
}

MorvantaProcess::Variables variables(Bench& b) {
    auto set = b.session->clientEnvironment();
    set["XDG_CONFIG_HOME"] = b.sandbox.config().string();
    set["XDG_STATE_HOME"] = b.sandbox.state().string();
    set["XDG_DATA_HOME"] = b.sandbox.data().string();
    set["QT_QPA_PLATFORM"] = "wayland";
    set["MORVANTA_BACKEND"] = "";
    set["XDG_SESSION_TYPE"] = "";
    set.try_emplace("XAUTHORITY", "");
    return set;
}

// Starts KWin, the watch, Morvanta (until it tiles) and the window client; "" or what failed.
std::string start(Bench& b) {
    b.sandbox.set("MORVANTA_BACKEND", std::nullopt);
    {
        FilePreferencesDomain domain(std::string(FilePreferencesDomain::standardDomainName),
                                     nullptr);
        AppSettings(domain).setOnboardingCompleted(true);
    }
    b.session = std::make_unique<HeadlessKWin>();
    if (!b.session->ok())
        return "KWin did not start: " + b.session->error();
    const auto screens = b.session->screens();
    if (screens.empty())
        return "KWin reports no screen: " + b.session->error();
    b.screen = screens.front().geometry;
    for (const auto& s : screens)
        b.screens.push_back({toRect(s.geometry), toRect(s.area), "", ""});
    b.watch = std::make_unique<KWinWatch>(b.session->busAddress(), b.session->runtimeDir());
    if (!b.watch->ok())
        return b.watch->error();
    b.timeline = std::make_unique<WindowTimeline>(*b.watch);
    b.morvanta = std::make_unique<MorvantaProcess>(variables(b), std::vector<std::string>{},
                                                   b.sandbox.root() / "output.txt");
    if (!waitFor([&] { return logged(b.sandbox, "Tiling started."); }, 30s, 20ms))
        return "Morvanta did not start tiling: " + b.morvanta->output();
    b.socket = CommandSocket::find(b.session->runtimeDir());
    if (!CommandSocket(b.socket).ok())
        return "no command socket of Morvanta's in " + b.session->runtimeDir().string();
    b.client = b.session->startLineProcess(
        LineProcess::besideThisTest("morvanta-wayland-testclient"), {}, {});
    return "";
}

// Asks Morvanta to show a workspace; answers when the request went out (the reply is read).
// Morvanta closes connections that stay idle, so each request has a connection of its own,
// made a moment before, so that accepting it is not counted.
std::optional<Clock::time_point> requestWorkspace(Bench& b, char workspace,
                                                  Clock::time_point* replied = nullptr) {
    b.commands = std::make_unique<CommandSocket>(b.socket);
    std::this_thread::sleep_for(20ms);
    const auto sent = Clock::now();
    if (!b.commands->send("workspace", std::string(1, workspace)))
        return std::nullopt;
    const auto reply = b.commands->reply();
    if (replied)
        *replied = Clock::now();
    if (reply.find("\"ok\":true") == std::string::npos)
        return std::nullopt;
    return sent;
}

// Whether `frames` are all on the screen and none overlaps another: a tiled layout, whatever its
// slots.
bool tiling(const std::vector<KWinRect>& frames, const KWinRect& screen) {
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (!screen.contains(frames[i]))
            return false;
        for (std::size_t j = i + 1; j < frames.size(); ++j)
            if (!apart(frames[i], frames[j]))
                return false;
    }
    return true;
}

// The frames of the windows shown whose caption starts with `prefix`, or is `also`.
std::vector<KWinRect> shownFrames(const Bench& b, const WindowTimeline::Windows& windows,
                                  char prefix, const std::string& also = "") {
    std::vector<KWinRect> frames;
    for (const auto& [id, w] : windows)
        if ((w.caption[0] == prefix || w.caption == also) && !hidden(b, w))
            frames.push_back(w.frame);
    return frames;
}

// Remembers the frames of the windows `prefix`1…20 once they are tiled and KWin is quiet.
std::string remember(Bench& b, char prefix) {
    const auto settled = b.timeline->settle(
        Clock::now(),
        [&](const auto& windows) {
            const auto frames = shownFrames(b, windows, prefix);
            return frames.size() == perWorkspace && tiling(frames, b.screen);
        },
        1s, 30s);
    if (!settled.reached)
        return std::string("workspace ") + (prefix == 'a' ? "1" : "2") +
               "'s windows were not tiled";
    for (const auto& [id, w] : b.timeline->windows())
        if (w.caption[0] == prefix)
            b.tiled[w.caption] = w.frame;
    return "";
}

// Twenty windows on workspace 1, twenty on workspace 2, then workspace 2 shown.
std::string openWindows(Bench& b) {
    // One at a time, each once KWin is quiet: twenty windows opened at once, each relaid out
    // as the next comes, keep the client too busy to take its new sizes in time on a loaded
    // machine, and Morvanta then takes a size not yet taken for the window's minimum.
    const auto many = [&](char prefix) {
        for (int i = 1; i <= perWorkspace; ++i) {
            const auto caption = captionOf(prefix, i);
            if (b.client->command("open " + caption + " 400 300") != "window " + caption)
                return false;
            b.timeline->settle(
                Clock::now(), [](const auto&) { return true; }, quiet);
        }
        return true;
    };
    if (!many('a'))
        return "the test client did not open workspace 1's windows";
    if (auto error = remember(b, 'a'); !error.empty())
        return error;
    if (!requestWorkspace(b, '2'))
        return "Morvanta refused `workspace 2`";
    b.timeline->settle(
        Clock::now(), [](const auto&) { return true; }, quiet, 20s);
    if (!many('b'))
        return "the test client did not open workspace 2's windows";
    return remember(b, 'b');
}

// Every window's caption and frame as KWin has them, for an error.
std::string described(const WindowTimeline::Windows& windows) {
    std::ostringstream text;
    for (const auto& [id, w] : windows)
        text << "\n  " << w;
    return text.str();
}

// The windows not where showing the windows named `shown`… wants them, for an error.
std::string misplaced(const Bench& b, char shown) {
    std::ostringstream text;
    for (const auto& [id, w] : b.timeline->windows()) {
        const auto tiled = b.tiled.find(w.caption);
        if (tiled == b.tiled.end())
            continue;
        const bool away = hidden(b, w);
        if (w.caption[0] == shown ? away || w.frame != tiled->second : !away)
            text << "\n  " << w << " (tiled at " << tiled->second << ")";
    }
    return text.str();
}

// Whether the windows named `shown`… are at their tiled frames and the others hidden.
bool applied(const Bench& b, const WindowTimeline::Windows& windows, char shown) {
    int good = 0;
    for (const auto& [id, w] : windows) {
        const auto tiled = b.tiled.find(w.caption);
        if (tiled == b.tiled.end())
            continue;
        const bool away = hidden(b, w);
        good += w.caption[0] == shown ? !away && w.frame == tiled->second : away;
    }
    return good == 2 * perWorkspace;
}

std::string measureSwitches(Bench& b, Figures& f) {
    std::vector<double> switches, replies;
    CpuMeter cpu(b.morvanta->pid(), b.session->kwinPid());
    for (int r = 0; r < rounds; ++r) {
        const char target = r % 2 ? '2' : '1';
        const char prefix = r % 2 ? 'b' : 'a';
        cpu.waitIdle();
        cpu.begin();
        Clock::time_point replied;
        const auto sent = requestWorkspace(b, target, &replied);
        if (!sent)
            return "Morvanta refused `workspace " + std::string(1, target) + "`";
        const auto settled = b.timeline->settle(
            *sent, [&](const auto& windows) { return applied(b, windows, prefix); }, quiet);
        cpu.end();
        if (!settled.reached)
            return "workspace " + std::string(1, target) + " was not applied in round " +
                   std::to_string(r + 1) + ":" + misplaced(b, prefix);
        switches.push_back(ms(*settled.reached - *sent));
        replies.push_back(ms(replied - *sent));
    }
    f.switching = spread(switches);
    f.switchReply = spread(replies);
    f.morvantaCpuPerSwitch = cpu.morvantaPerOperation();
    f.kwinCpuPerSwitch = cpu.kwinPerOperation();
    return "";
}

// One more window at a time on workspace 1 (shown, with its twenty), closed again after.
std::string measureNewWindows(Bench& b, Figures& f) {
    std::vector<double> opened, answered;
    CpuMeter cpu(b.morvanta->pid(), b.session->kwinPid());
    for (int r = 0; r < rounds; ++r) {
        const auto caption = captionOf('n', r + 1);
        cpu.waitIdle();
        cpu.begin();
        const auto start = Clock::now();
        if (b.client->command("open " + caption + " 400 300") != "window " + caption)
            return "the test client did not open " + caption;
        const auto tiled = [&](const auto& windows) {
            const auto frames = shownFrames(b, windows, 'a', caption);
            return frames.size() == perWorkspace + 1 && tiling(frames, b.screen);
        };
        const auto settled = b.timeline->settle(start, tiled, quiet);
        cpu.end();
        const auto window = b.timeline->byCaption(caption);
        const auto added = window ? b.timeline->addedAt(window->id) : std::nullopt;
        if (!added || !settled.firstChange)
            return "KWin did not announce " + caption + " or Morvanta did not place it";
        if (!settled.reached)
            return caption + " and workspace 1's windows were not tiled within 10 s:" +
                   described(b.timeline->windows()) + loggedLines(b.sandbox, caption);
        opened.push_back(ms(settled.lastEvent - *added));
        answered.push_back(ms(*settled.firstChange - *added));
        b.client->command("close " + caption);
        b.timeline->settle(
            Clock::now(), [](const auto&) { return true; }, quiet);
    }
    f.newWindow = spread(opened);
    f.newWindowFirstMove = spread(answered);
    f.morvantaCpuPerNewWindow = cpu.morvantaPerOperation();
    f.kwinCpuPerNewWindow = cpu.kwinPerOperation();
    return "";
}

// A batch as a switch sends it: `hide` moved off every screen, `show` back where it was.
nlohmann::json switchBatch(const BridgeProbe& probe, char hide, char show) {
    auto commands = nlohmann::json::array();
    for (int i = 1; i <= perWorkspace; ++i)
        for (const char prefix : {hide, show}) {
            const auto w = probe.windows().find(captionOf(prefix, i));
            if (w == probe.windows().end())
                continue;
            const auto& [id, frame] = w->second;
            const auto point = prefix == hide ? std::array{5000 + frame[0], 4000 + frame[1]}
                                              : std::array{frame[0], frame[1]};
            commands.push_back({{"op", "position"}, {"id", id}, {"point", point}});
        }
    return commands;
}

// The channel alone, once Morvanta has quit: batches of a switch's forty moves, and of one move
// that changes nothing.
std::string measureBridge(Bench& b, Figures& f) {
    const auto script = b.session->runtimeDir() / "bench-bridge.js";
    std::error_code copied;
    std::filesystem::copy_file(MORVANTA_BRIDGE_SCRIPT, script,
                               std::filesystem::copy_options::overwrite_existing, copied);
    if (copied)
        return "cannot copy " + std::string(MORVANTA_BRIDGE_SCRIPT) + ": " + copied.message();
    BridgeProbe probe(b.session->busAddress(), script);
    if (!probe.ok())
        return probe.error();
    std::vector<double> switches, ones;
    const auto one = probe.windows().find(captionOf('a', 1));
    if (one == probe.windows().end())
        return "the bridge's script does not report window a1";
    const auto& [id, frame] = one->second;
    const nlohmann::json still = {
        {{"op", "position"}, {"id", id}, {"point", std::array{frame[0], frame[1]}}}};
    // Each batch starts from a quiet KWin (see CpuMeter); Morvanta has gone.
    const CpuMeter kwin(0, b.session->kwinPid());
    const auto timed = [&](const nlohmann::json& batch, std::vector<double>& into) {
        kwin.waitIdle();
        const auto trip = probe.roundTrip(batch);
        b.timeline->settle(
            Clock::now(), [](const auto&) { return true; }, 100ms);
        if (trip)
            into.push_back(ms(*trip));
        return trip.has_value();
    };
    for (int r = 0; r < rounds; ++r)
        if (!timed(r % 2 ? switchBatch(probe, 'b', 'a') : switchBatch(probe, 'a', 'b'), switches) ||
            !timed(still, ones))
            return "the bridge's script did not acknowledge a batch";
    f.bridgeSwitch = spread(switches);
    f.bridgeOne = spread(ones);
    return "";
}

Figures measure() {
    Figures f;
    Bench b;
    f.error = start(b);
    if (f.error.empty())
        f.error = openWindows(b);
    if (f.error.empty())
        f.error = measureSwitches(b, f);
    if (f.error.empty() && !requestWorkspace(b, '1'))
        f.error = "Morvanta refused `workspace 1`";
    if (f.error.empty()) {
        b.timeline->settle(
            Clock::now(), [](const auto&) { return true; }, quiet);
        f.error = measureNewWindows(b, f);
    }
    // A layout gone wrong most often comes from a size Morvanta took for a window's minimum.
    if (!f.error.empty())
        f.error += loggedLines(b.sandbox, "minimum");
    if (b.morvanta) {
        b.morvanta->signal(SIGTERM);
        b.morvanta->waitExit();
    }
    if (f.error.empty())
        f.error = measureBridge(b, f);
    return f;
}

void print(const Figures& f) {
    std::printf("| Operation | Median (ms) | p95 (ms) | Morvanta CPU (ms) | KWin CPU (ms) |\n"
                "|---|---|---|---|---|\n");
    std::printf("| Switch, command to KWin applied | %.1f | %.1f | %.2f | %.2f |\n",
                f.switching.median, f.switching.p95, f.morvantaCpuPerSwitch, f.kwinCpuPerSwitch);
    std::printf("| Switch, command to Morvanta's reply | %.1f | %.1f | | |\n", f.switchReply.median,
                f.switchReply.p95);
    std::printf("| New window, windowAdded to last frame | %.1f | %.1f | %.2f | %.2f |\n",
                f.newWindow.median, f.newWindow.p95, f.morvantaCpuPerNewWindow,
                f.kwinCpuPerNewWindow);
    std::printf("| New window, windowAdded to the first frame change | %.1f | %.1f | | |\n",
                f.newWindowFirstMove.median, f.newWindowFirstMove.p95);
    std::printf("| Bridge round trip, batch of 40 moves | %.1f | %.1f | | |\n",
                f.bridgeSwitch.median, f.bridgeSwitch.p95);
    std::printf("| Bridge round trip, batch of 1 move | %.1f | %.1f | | |\n", f.bridgeOne.median,
                f.bridgeOne.p95);
}

} // namespace

int main(int argc, char** argv) {
    // A helper that ends early must fail its command, not end the benchmark.
    std::signal(SIGPIPE, SIG_IGN);
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
    if (!HeadlessKWin::available()) {
        std::printf("bench_kwin: kwin_wayland is not installed; nothing measured.\n");
        return 0;
    }
    Figures f;
    try {
        f = measure();
    } catch (const std::exception& e) {
        // Everything started has ended by now: the session's objects ended as this unwound.
        f.error = e.what();
    }
    if (!f.error.empty()) {
        std::printf("bench_kwin: %s\n", f.error.c_str());
        return 1;
    }
    print(f);
    return 0;
}
