// KWinAppE2E: the fixture of the end-to-end tests of the real `morvanta` program in KDE Plasma's
// Wayland session: a private headless KWin (with Xwayland and its own session bus), Morvanta
// started inside it with Qt on Wayland, private XDG folders where the welcome guide is marked
// completed, and MORVANTA_BACKEND unset, so the program chooses KWin by the session itself. The
// truth about windows is read from KWin (HeadlessKWin::windows), never from Morvanta.
#pragma once

#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "ax/screen_geometry.h"
#include "core/layout_presets.h"
#include "tests/e2e_app/morvanta_process.h"
#include "tests/support/headless_kwin.h"
#include "tests/support/xdg_sandbox.h"
#include "tests/support/xvfb_server.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

namespace morvanta::testing {

using namespace std::chrono_literals;

inline Rect toRect(const KWinRect& r) {
    return {double(r.x), double(r.y), double(r.width), double(r.height)};
}

class KWinAppE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HeadlessKWin::available())
            GTEST_SKIP() << "kwin_wayland is not installed";
        sandbox.set("MORVANTA_BACKEND", std::nullopt);
        {
            FilePreferencesDomain domain(std::string(FilePreferencesDomain::standardDomainName),
                                         nullptr);
            AppSettings(domain).setOnboardingCompleted(true);
        }
        session = std::make_unique<HeadlessKWin>();
        ASSERT_TRUE(session->ok()) << session->error();
    }

    // The session's variables for Morvanta: its folders are the test's sandbox, Qt draws on
    // KWin, and nothing names the backend or the session type for it.
    MorvantaProcess::Variables variables() {
        auto set = session->clientEnvironment();
        set["XDG_CONFIG_HOME"] = sandbox.config().string();
        set["XDG_STATE_HOME"] = sandbox.state().string();
        set["XDG_DATA_HOME"] = sandbox.data().string();
        set["QT_QPA_PLATFORM"] = "wayland";
        set["MORVANTA_BACKEND"] = "";
        set["XDG_SESSION_TYPE"] = "";
        set.try_emplace("XAUTHORITY", "");
        return set;
    }
    std::filesystem::path nextOutput() {
        return sandbox.root() / ("output-" + std::to_string(++launches) + ".txt");
    }
    std::unique_ptr<MorvantaProcess> launch(const std::vector<std::string>& arguments = {}) {
        auto process = std::make_unique<MorvantaProcess>(variables(), arguments, nextOutput());
        EXPECT_TRUE(process->ok());
        return process;
    }
    std::pair<int, std::string> runToEnd(const std::vector<std::string>& arguments) {
        return MorvantaProcess::run(variables(), arguments, nextOutput());
    }
    // Starts Morvanta and waits until it has started tiling.
    std::unique_ptr<MorvantaProcess> start() {
        const int before = countLogged("Tiling started.");
        auto process = launch();
        EXPECT_TRUE(waitFor([&] { return countLogged("Tiling started.") > before; }, 20s))
            << process->output() << logText();
        return process;
    }
    // `morvanta msg ARGUMENTS`, expected to succeed; answers what it printed.
    std::string msg(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "msg");
        const auto [status, output] = runToEnd(arguments);
        EXPECT_EQ(status, 0) << output;
        return output;
    }
    nlohmann::json state() { return nlohmann::json::parse(msg({"state"}), nullptr, false); }
    // The title of the window Morvanta has focused, "" for none.
    std::string focusedTitle() {
        const auto now = state();
        if (!now.is_object())
            return "";
        for (const auto& workspace : now["workspaces"])
            for (const auto& window : workspace["windows"])
                if (window["focused"] == true)
                    return window["title"];
        return "";
    }
    // Activates the window through KWin until Morvanta follows. KWin tells nothing when the
    // window is active already (Morvanta may have asked for a clock, which takes no focus, while
    // KWin kept the window before), so between tries the xterm takes the focus.
    void focus(const KWinWindow& w) {
        const auto term = window("term");
        ASSERT_TRUE(term);
        const bool followed = waitFor(
            [&] {
                if (!session->activate(w.id))
                    return false;
                if (waitFor([&] { return focusedTitle() == w.caption; }, 1s, 50ms))
                    return true;
                session->activate(term->id);
                return false;
            },
            15s, 10ms);
        EXPECT_TRUE(followed) << w << "; Morvanta's focus: " << focusedTitle() << "\n"
                              << explained({});
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
    std::filesystem::path stateFile() { return sandbox.state() / "morvanta" / "kwin-parked.json"; }
    // The frames the state file holds for the windows Morvanta parked, by caption: where each
    // must come back.
    std::map<std::string, KWinRect> marks() {
        std::ifstream in(stateFile());
        const auto document = nlohmann::json::parse(in, nullptr, false);
        std::map<std::string, KWinRect> frames;
        if (!document.is_object() || !document.contains("windows"))
            return frames;
        for (const auto& [id, mark] : document["windows"].items()) {
            const auto& f = mark.value("frame", nlohmann::json::array());
            if (f.size() == 4)
                frames[mark.value("caption", id)] = {
                    int(std::lround(f[0].get<double>())), int(std::lround(f[1].get<double>())),
                    int(std::lround(f[2].get<double>())), int(std::lround(f[3].get<double>()))};
        }
        return frames;
    }

    // The ordinary windows of other programs, as KWin has them now.
    std::vector<KWinWindow> windows() {
        auto all = session->windows();
        std::erase_if(all, [](const KWinWindow& w) {
            return !w.normal || w.caption.find("Morvanta") != std::string::npos;
        });
        return all;
    }
    std::optional<KWinWindow> window(const std::string& caption) {
        for (const auto& w : windows())
            if (w.caption == caption)
                return w;
        return std::nullopt;
    }
    std::vector<Screen> screens() {
        std::vector<Screen> out;
        for (const auto& s : session->screens())
            out.push_back({toRect(s.geometry), toRect(s.area), "", ""});
        return out;
    }
    bool hidden(const KWinWindow& w) {
        return w.minimized || ScreenGeometry::isParkedPosition(screens(), toRect(w.frame));
    }
    // An xterm sizes in character cells: its frame may fall short of a slot by one cell.
    static std::optional<Size> step(const KWinWindow& w) {
        return w.resourceClass == "xterm" ? std::optional(Size{12, 24}) : std::nullopt;
    }
    // Exactly these windows show, each filling one slot of the default layout (main + stack).
    bool tiled(const std::vector<std::string>& captions) {
        const auto all = windows();
        const auto found = session->screens();
        if (found.empty())
            return false;
        const auto slots =
            LayoutPresets::frames(static_cast<int>(captions.size()), LayoutKind::mainStack, {}, {},
                                  toRect(found.front().area), LayoutOptions{});
        std::vector<bool> used(slots.size(), false);
        for (const auto& caption : captions) {
            const auto w = std::ranges::find(all, caption, &KWinWindow::caption);
            if (w == all.end() || w->minimized)
                return false;
            bool placed = false;
            for (std::size_t i = 0; i < slots.size() && !placed; ++i)
                if (!used[i] && frameMatches(toRect(w->frame), slots[i], step(*w)))
                    used[i] = placed = true;
            if (!placed)
                return false;
        }
        return true;
    }
    // Tiled, and settled: an X11 window with size steps takes the frame KWin gave it first and
    // rounds it to its steps a moment later, so the frames must read the same twice in a row
    // before they count as where the windows are (and where Morvanta would put them back).
    bool waitTiled(const std::vector<std::string>& captions) {
        std::map<std::string, KWinRect> last;
        return waitFor(
            [&] {
                if (!tiled(captions)) {
                    last.clear();
                    return false;
                }
                const auto now = framesOf(captions);
                const bool settled = now == last;
                last = now;
                return settled;
            },
            10s, 150ms);
    }
    bool waitHidden(const std::vector<std::string>& captions) {
        return waitFor(
            [&] {
                return std::ranges::all_of(captions, [&](const std::string& caption) {
                    const auto w = window(caption);
                    return w && hidden(*w);
                });
            },
            10s, 50ms);
    }
    // Every window listed is at exactly its frame, and shows.
    bool backAt(const std::map<std::string, KWinRect>& frames) {
        return waitFor(
            [&] {
                return std::ranges::all_of(frames, [&](const auto& entry) {
                    const auto w = window(entry.first);
                    return w && !w->minimized && w->frame == entry.second;
                });
            },
            10s, 50ms);
    }
    std::map<std::string, KWinRect> framesOf(const std::vector<std::string>& captions) {
        std::map<std::string, KWinRect> frames;
        for (const auto& caption : captions)
            if (const auto w = window(caption))
                frames[caption] = w->frame;
        return frames;
    }
    std::string described() {
        std::ostringstream text;
        for (const auto& w : windows())
            text << w << "\n";
        return text.str();
    }
    // Where each window was wanted, what KWin has, what the script printed and Morvanta's log:
    // what a failed wait for frames needs to be understood.
    std::string explained(const std::map<std::string, KWinRect>& wanted) {
        std::ostringstream text;
        text << "wanted:\n";
        for (const auto& [caption, frame] : wanted)
            text << "  " << caption << " " << frame << "\n";
        text << "KWin has:\n" << described() << "the script printed:\n";
        std::istringstream output(session->kwinOutput());
        for (std::string line; std::getline(output, line);)
            if (line.find("morvanta-bridge") != std::string::npos)
                text << "  " << line << "\n";
        text << "Morvanta's log:\n" << logText();
        return text.str();
    }

    // An xterm and an xclock under Xwayland, and a window of the native Wayland client.
    void openThree() {
        ASSERT_GT(session->spawn({"xterm", "-T", "term"}), 0);
        ASSERT_GT(session->spawn({"xclock", "-title", "clock"}), 0);
        client = session->startLineProcess(
            LineProcess::besideThisTest("morvanta-wayland-testclient"), {}, {});
        ASSERT_EQ(client->command("open native-one 400 300"), "window native-one");
        ASSERT_TRUE(waitFor([&] { return windows().size() == 3; }, 20s)) << described();
    }
    // What dbus-send printed for one call on the session's bus ("DESTINATION PATH METHOD ARGS").
    std::string busCall(const std::string& call) {
        const std::string command = "dbus-send --bus='" + session->busAddress() +
                                    "' --print-reply --dest=" + call + " 2>&1";
        std::string answer;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[256];
            while (fgets(buffer, sizeof buffer, pipe))
                answer += buffer;
            pclose(pipe);
        }
        return answer;
    }
    // The global shortcuts Morvanta holds in KDE's shortcut service (kwin_wayland serves it),
    // as Plasma's settings list them: the action and its title, as dbus-send prints them.
    std::string plasmaShortcuts() {
        return busCall("org.kde.kglobalaccel /component/morvanta "
                       "org.kde.kglobalaccel.Component.allShortcutInfos");
    }
    // Presses a shortcut the way Plasma does for a key: the service runs the named action.
    void pressShortcut(const std::string& action) {
        const auto answer = busCall("org.kde.kglobalaccel /component/morvanta "
                                    "org.kde.kglobalaccel.Component.invokeShortcut string:" +
                                    action);
        EXPECT_EQ(answer.find("Error"), std::string::npos) << answer;
    }
    // Whether KWin still runs Morvanta's script; none when KWin did not say.
    std::optional<bool> scriptLoaded() {
        const std::string answer = busCall("org.kde.KWin /Scripting "
                                           "org.kde.kwin.Scripting.isScriptLoaded "
                                           "string:morvanta-bridge");
        if (answer.find("boolean true") != std::string::npos)
            return true;
        if (answer.find("boolean false") != std::string::npos)
            return false;
        ADD_FAILURE() << "isScriptLoaded: " << answer;
        return std::nullopt;
    }

    XdgSandbox sandbox;
    std::unique_ptr<HeadlessKWin> session;
    std::unique_ptr<LineProcess> client;
    int launches = 0;
};

} // namespace morvanta::testing
