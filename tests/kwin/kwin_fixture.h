// KWinTest: the KWin backend over the fake script, with its state file in a private folder and
// its log lines kept: one 1600×1000 screen (panel at the bottom), two processes' pids, and
// Morvanta's own pid.
#pragma once

#include "ax/kwin/kwin_window_system.h"
#include "tests/kwin/fake_kwin_script.h"
#include "tests/support/xdg_sandbox.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace morvanta::testing {

class KWinTest : public ::testing::Test {
protected:
    static constexpr std::int32_t ownPid = 100;
    static constexpr std::int32_t editor = 200;
    static constexpr std::int32_t term = 300;

    KWinTest() { script.setScreens({{"Virtual-1", {0, 0, 1600, 1000}, {0, 0, 1600, 960}, ""}}); }

    std::filesystem::path stateFile() const {
        return sandbox.root() / "state" / "morvanta" / "kwin-parked.json";
    }

    // A new backend (the old one goes first), as a Morvanta that starts.
    KWinWindowSystem& make() {
        system.reset();
        system = std::make_unique<KWinWindowSystem>(
            script, KWinOptions{stateFile(), ownPid, std::chrono::milliseconds(500),
                                [this](const std::string& line) { lines.push_back(line); },
                                [this] { return script.now(); }});
        return *system;
    }
    // The backend, and the script started and heard.
    KWinWindowSystem& start() {
        make();
        script.start();
        system->dispatchPending();
        return *system;
    }

    std::string open(std::int32_t pid, const std::string& caption, Rect frame = {10, 10, 600, 400},
                     FakeKWinWindow options = {}) {
        options.pid = pid;
        options.caption = caption;
        options.frame = frame;
        return script.openWindow(options);
    }
    AXWindow handle(const std::string& id) { return system->handle(id).value_or(AXWindow()); }
    std::vector<std::string> titles() {
        std::vector<std::string> out;
        for (const auto& w : system->all())
            out.push_back(w.title());
        return out;
    }
    bool logged(const std::string& part) const {
        return std::ranges::any_of(lines, [&](const auto& l) { return l.find(part) != l.npos; });
    }

    XdgSandbox sandbox;
    FakeKWinScript script;
    std::vector<std::string> lines;
    std::unique_ptr<KWinWindowSystem> system;
};

} // namespace morvanta::testing
