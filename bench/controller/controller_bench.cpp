// bench_controller: the tiling controller on a private Xvfb, without a window manager and under
// Openbox, with 50 windows of the test client open. Prints:
// - new window: from the client's map (the server has sent MapNotify) to the start and the end
//   of the refresh it causes, and the controller's own time in that refresh;
// - workspace switch parking 20 windows and showing 20: the command's time (until it returns:
//   without a window manager that is when its last request is sent, as its reads back run on the
//   loop's next turn; under one it includes them), round trips made, and time to the server's
//   reply to one more request sent afterwards;
// - idle: run-loop wake-ups over 10 s with nothing changing.
#include "app/controller/tiling_controller.h"
#include "app/desktop/x11/x11_desktop_backend.h"
#include "app/settings/memory_preferences_domain.h"
#include "app/shell/run_loop/qt_run_loop.h"
#include "tests/x11/x11_desktop.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <xcb/xcb.h>

using namespace morvanta;
using namespace std::chrono;
using Clock = steady_clock;

namespace {

// A RunLoop that counts and times every task it runs for the loop it wraps.
class CountingRunLoop : public RunLoop {
public:
    explicit CountingRunLoop(RunLoop& inner) : inner_(inner) {}
    TimePoint now() const override { return inner_.now(); }
    TaskID after(Duration d, std::function<void()> t) override {
        return inner_.after(d, wrap(t, true));
    }
    TaskID every(Duration d, std::function<void()> t) override {
        return inner_.every(d, wrap(t, false));
    }
    TaskID watch(int fd, std::function<void()> t) override {
        return inner_.watch(fd, wrap(t, false));
    }
    TaskID watchWritable(int fd, std::function<void()> t) override {
        return inner_.watchWritable(fd, wrap(t, false));
    }
    void cancel(TaskID id) override { inner_.cancel(id); }

    long wakeUps = 0;
    // The longest delayed call (the debounced refresh) since the last reset, with its start and
    // end; and the longest event dispatch.
    Clock::time_point longestStart, longestEnd;
    Clock::duration longestDispatch{};
    void reset() {
        wakeUps = 0;
        longestStart = longestEnd = {};
        longestDispatch = {};
    }

private:
    std::function<void()> wrap(std::function<void()> task, bool delayed) {
        return [this, delayed, task = std::move(task)] {
            ++wakeUps;
            const auto start = Clock::now();
            task();
            const auto end = Clock::now();
            if (!delayed) {
                longestDispatch = std::max(longestDispatch, end - start);
            } else if (end - start > longestEnd - longestStart) {
                longestStart = start;
                longestEnd = end;
            }
        };
    }
    RunLoop& inner_;
};

double ms(Clock::duration d) {
    return duration<double, std::milli>(d).count();
}

double median(std::vector<double> v) {
    std::ranges::sort(v);
    return v.empty() ? 0 : v[v.size() / 2];
}

// Runs Qt's event loop until `done` holds or the deadline passes.
bool spinUntil(const std::function<bool()>& done, milliseconds deadline = seconds(10)) {
    const auto end = Clock::now() + deadline;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void spinFor(milliseconds time) {
    spinUntil([] { return false; }, time);
}

void run(bool openbox) {
    testing::X11Desktop desktop(testing::desktopOptions(openbox));
    if (!desktop.ok()) {
        std::printf("cannot start the display: %s\n", desktop.error().c_str());
        return;
    }
    auto& client = desktop.client();
    // 20 windows for workspace 1, 20 for workspace 2 and 10 for workspace 3, by their class.
    const char* classes[] = {"BenchOne", "BenchTwo", "BenchThree"};
    for (int i = 0; i < 50; ++i) {
        const std::string name = "w" + std::to_string(i);
        client.open(name, 20 + i * 5, 20 + i * 5, 300, 200, false);
        client.command("class " + name + " bench " + classes[i < 20 ? 0 : i < 40 ? 1 : 2]);
        client.command("map " + name);
    }
    X11DesktopBackend backend(desktop.openSystem(), desktop.server().display());

    QtRunLoop qtLoop;
    CountingRunLoop loop(qtLoop);
    DiagnosticsLog log(std::nullopt);
    MemoryPreferencesDomain domain;
    AppSettings settings(domain);
    settings.setAppRules({AppRule{"BenchTwo", "Two", 2, false, false},
                          AppRule{"BenchThree", "Three", 3, false, false}});
    TilingController controller(backend.windowSystem(), loop, log, settings,
                                backend.controllerDevices(loop));
    backend.deliverEvents(loop);
    auto& connection = backend.x11System().connection();
    controller.start();
    spinUntil([&] { return controller.registry().count() == 50; });
    spinFor(milliseconds(500));

    // New window.
    std::vector<double> toStart, toEnd, own, dispatch;
    for (int round = 0; round < 7; ++round) {
        spinFor(milliseconds(200));
        loop.reset();
        const int before = controller.registry().count();
        client.open("extra", 900, 500, 300, 200);
        const auto mapped = Clock::now();
        spinUntil(
            [&] { return controller.registry().count() > before && !controller.refreshPending(); });
        spinFor(milliseconds(50));
        toStart.push_back(ms(loop.longestStart - mapped));
        toEnd.push_back(ms(loop.longestEnd - mapped));
        own.push_back(ms(loop.longestEnd - loop.longestStart));
        dispatch.push_back(ms(loop.longestDispatch));
        client.command("close extra");
        spinUntil([&] {
            return controller.registry().count() == before && !controller.refreshPending();
        });
    }

    // Workspace switch: 20 parked, 20 shown.
    std::vector<double> command, reply;
    std::vector<long> trips;
    for (int round = 0; round < 10; ++round) {
        spinFor(milliseconds(100));
        const long tripsBefore = connection.roundTrips();
        const auto start = Clock::now();
        controller.commands().switchToWorkspace(round % 2 == 0 ? 2 : 1);
        const auto sent = Clock::now();
        trips.push_back(connection.roundTrips() - tripsBefore);
        free(xcb_get_input_focus_reply(connection.raw(), xcb_get_input_focus(connection.raw()),
                                       nullptr));
        const auto answered = Clock::now();
        command.push_back(ms(sent - start));
        reply.push_back(ms(answered - start));
    }
    spinFor(milliseconds(500));

    // Idle.
    loop.reset();
    spinFor(seconds(10));
    const long idleWakeUps = loop.wakeUps;

    std::printf("%s, 50 windows:\n", openbox ? "Openbox" : "no window manager");
    std::printf("  new window: map -> refresh start %.1f ms, -> re-layout end %.1f ms "
                "(Morvanta's own time %.2f ms; longest event dispatch %.2f ms), median of %zu\n",
                median(toStart), median(toEnd), median(own), median(dispatch), own.size());
    std::printf("  switch parking 20 and showing 20: command %.2f ms, to the server's reply "
                "%.2f ms, %ld round trips, median of %zu\n",
                median(command), median(reply), trips[trips.size() / 2], command.size());
    std::printf("  idle: %ld run-loop wake-ups in 10 s\n", idleWakeUps);
    controller.stop();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    run(false);
    run(true);
    return 0;
}
