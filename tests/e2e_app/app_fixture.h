// AppE2E: the fixture of the end-to-end tests of the real `morvanta` program: a private Xvfb
// (under Openbox unless a test asks for another window manager or none), private XDG folders and a
// private session bus, the welcome guide marked completed, and the helpers that drive the program
// from outside and check where the windows are.
#pragma once

#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "ax/screen_geometry.h"
#include "tests/e2e_app/morvanta_process.h"
#include "tests/support/session_bus.h"
#include "tests/support/xdg_sandbox.h"
#include "tests/x11/x11_desktop.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace morvanta::testing {

using namespace std::chrono_literals;

class AppE2E : public ::testing::Test {
protected:
    explicit AppE2E(bool windowManager = true) : desktop(desktopOptions(windowManager)) {}
    explicit AppE2E(XvfbOptions options) : desktop(std::move(options)) {}

    void SetUp() override {
        const auto runtime = sandbox.root() / "runtime";
        mkdir(runtime.c_str(), 0700);
        sandbox.set("XDG_RUNTIME_DIR", runtime.string());
        ASSERT_TRUE(bus.ok());
        sandbox.set("DBUS_SESSION_BUS_ADDRESS", bus.address());
        {
            FilePreferencesDomain domain(std::string(FilePreferencesDomain::standardDomainName),
                                         nullptr);
            AppSettings settings(domain);
            settings.setOnboardingCompleted(true);
        }
        ASSERT_TRUE(desktop.ok()) << desktop.error();
    }

    // Two terminals, then a clock and a pair of eyes: the terminals come first so that they
    // lead their workspace, and a window that leaves passes the focus to one that takes the
    // keyboard (a clock and a pair of eyes never do).
    // A third terminal ("three") when asked for.
    void openBefore(bool threeTerminals = false) {
        // The pointer on the first screen: window managers place new windows on the screen
        // that holds it.
        ASSERT_EQ(desktop.server().run({"xdotool", "mousemove", "100", "100"}), 0);
        std::vector<std::vector<std::string>> terminals = {
            {"xterm", "-title", "one", "-geometry", "80x24+100+400"},
            {"xterm", "-title", "two", "-geometry", "60x20+50+50"}};
        if (threeTerminals)
            terminals.push_back({"xterm", "-title", "three", "-geometry", "60x20+300+50"});
        for (const auto& program : terminals)
            ASSERT_GT(desktop.server().spawn(program), 0);
        ASSERT_TRUE(waitFor([&] { return windows().size() == terminals.size(); }, 30s))
            << described();
        for (const auto& program :
             std::vector<std::vector<std::string>>{{"xclock", "-geometry", "200x200+700+400"},
                                                   {"xeyes", "-geometry", "150x100+500+100"}})
            ASSERT_GT(desktop.server().spawn(program), 0);
        ASSERT_TRUE(waitFor([&] { return windows().size() == terminals.size() + 2; }, 30s))
            << described();
    }
    static std::string rectText(const Rect& f) {
        return std::to_string(int(f.x)) + "," + std::to_string(int(f.y)) + " " +
               std::to_string(int(f.width)) + "×" + std::to_string(int(f.height));
    }
    static std::string framesText(const std::map<std::uint32_t, Rect>& frames) {
        std::string text = "expected:\n";
        for (const auto& [id, f] : frames)
            text += std::to_string(id) + " at " + rectText(f) + "\n";
        return text;
    }
    std::string described() {
        std::string text;
        for (const auto& w : desktop.system().windowList().all())
            text += w.description() + " " + std::to_string(w.id()) + " at " +
                    rectText(w.frame().value_or(Rect{})) + "\n";
        return text;
    }

    std::unique_ptr<MorvantaProcess> launch(const std::vector<std::string>& arguments = {}) {
        auto process = std::make_unique<MorvantaProcess>(
            desktop.server().display(), arguments,
            sandbox.root() / ("output-" + std::to_string(++launches) + ".txt"));
        EXPECT_TRUE(process->ok());
        return process;
    }
    std::pair<int, std::string> runToEnd(const std::vector<std::string>& arguments) {
        return MorvantaProcess::run(desktop.server().display(), arguments,
                                    sandbox.root() /
                                        ("output-" + std::to_string(++launches) + ".txt"));
    }
    // Starts Morvanta and waits until it has started tiling.
    std::unique_ptr<MorvantaProcess> start() {
        const int before = countLogged("Tiling started.");
        auto process = launch();
        EXPECT_TRUE(waitFor([&] { return countLogged("Tiling started.") > before; }, 15s))
            << process->output();
        return process;
    }

    std::string logText() { return sandbox.morvantaLog(); }
    bool logged(const std::string& text) { return logText().find(text) != std::string::npos; }
    int countLogged(const std::string& text) {
        const std::string log = logText();
        int count = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    }

    void keys(const std::string& combination) {
        ASSERT_EQ(desktop.server().run({"xdotool", "key", combination}), 0);
    }

    // Presses a combination until `done` holds: right after a start Morvanta may still be
    // taking its key grabs. Only for keys that are harmless to repeat.
    bool pressUntil(const std::string& combination, const std::function<bool()>& done) {
        return waitFor(
            [&] {
                keys(combination);
                return waitFor(done, 1s);
            },
            15s, 10ms);
    }

    // Every ordinary window but Morvanta's own (whose titles name it).
    std::vector<AXWindow> windows() {
        // A request to the window manager first: an Openbox that has just started can sit on an
        // event it already read until another one arrives.
        desktop.system().connection().syncWithWindowManager();
        auto all = desktop.system().windowList().all();
        std::erase_if(all, [](const AXWindow& w) {
            const auto title = w.description();
            return title.find("“Morvanta ") != std::string::npos ||
                   title.find("“Welcome to Morvanta") != std::string::npos;
        });
        return all;
    }
    int morvantaWindows(const std::string& title) {
        const auto all = desktop.system().windowList().all();
        return static_cast<int>(std::ranges::count_if(all, [&](const AXWindow& w) {
            return w.description().find(title) != std::string::npos;
        }));
    }
    Rect visibleFrame() { return desktop.visibleFrame(); }
    bool hidden(const AXWindow& w) { return desktop.isHidden(w); }
    bool shown(const AXWindow& w) { return !hidden(w) && w.frame(); }

    // Every listed window shows and fills one slot of the default layout (main + stack).
    bool tiled(const std::vector<AXWindow>& tiles) {
        return desktop.fillsSlots(tiles, LayoutKind::mainStack);
    }
    bool waitTiled(const std::vector<AXWindow>& tiles) {
        return waitFor([&] { return tiled(tiles); }, 10s);
    }
    bool allHidden(std::size_t count) {
        return waitFor([&] {
            const auto all = windows();
            return all.size() == count &&
                   std::ranges::all_of(all, [&](const AXWindow& w) { return hidden(w); });
        });
    }
    std::map<std::uint32_t, Rect> frames() {
        std::map<std::uint32_t, Rect> out;
        for (const auto& w : windows())
            out[w.id()] = w.frame().value_or(Rect{});
        return out;
    }
    // Every window shows at exactly its saved frame (within a resize step).
    bool backAt(const std::map<std::uint32_t, Rect>& saved) {
        return waitFor([&] {
            const auto all = windows();
            if (all.size() != saved.size())
                return false;
            return std::ranges::all_of(all, [&](const AXWindow& w) {
                return shown(w) && frameMatches(*w.frame(), saved.at(w.id()), w.sizeIncrement());
            });
        });
    }
    // Gives the window the keyboard focus, as a click would, until the window manager reports
    // it active (Openbox turns down activation requests from a program the user never touched).
    void focus(const AXWindow& w) {
        int attempt = 0;
        EXPECT_TRUE(waitFor(
            [&] {
                // A click's focus first; window managers that take focus only through their own
                // activation (Mutter, KWin) get that asked for on every other attempt.
                desktop.server().run({"xdotool", attempt++ % 2 ? "windowactivate" : "windowfocus",
                                      std::to_string(w.id())});
                return waitFor(
                    [&] {
                        desktop.system().dispatchPending();
                        const auto focused = desktop.system().windowList().focused();
                        return focused && *focused == w;
                    },
                    300ms);
            },
            10s, 100ms))
            << w.description() << " " << w.id() << " " << w.pid() << "; focused: "
            << (desktop.system().windowList().focused()
                    ? std::to_string(desktop.system().windowList().focused()->id()) + " " +
                          std::to_string(desktop.system().windowList().focused()->pid())
                    : "none");
    }

    // Tiles the four windows opened before start, then parks them all on workspace 2.
    std::map<std::uint32_t, Rect> tileThenHide() {
        openBefore();
        EXPECT_TRUE(waitTiled(windows())) << described() << logText();
        const auto saved = frames();
        EXPECT_TRUE(pressUntil("alt+2", [&] { return allHidden(4); })) << described() << logText();
        return saved;
    }

    XdgSandbox sandbox;
    SessionBus bus;
    X11Desktop desktop;
    int launches = 0;
};

} // namespace morvanta::testing
