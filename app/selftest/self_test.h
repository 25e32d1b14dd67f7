// SelfTest: the scripted end-to-end check of tiling against the real windows on the desktop. It
// drives the tiling controller through its own commands, lets the windows settle, compares what
// they show with the layout plan and writes one line per check to the diagnostics log ("✅ …" or
// "❌ …"), ending with the pass/fail count. Waits run on the RunLoop, so the desktop's events
// keep flowing while the script waits; the script is one sequence of steps, each finished
// before the next begins. The program runs it with its own, freshly wiped preferences domain
// and quits when `finished` is called.
#pragma once

#include "app/controller/run_loop.h"
#include "app/controller/tiling_controller.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/selftest/placement_probe.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

class SelfTest {
public:
    // The self-test's texts that name the keys and the session; Linux says Alt where other
    // desktops show the Option key. docs/platform-texts.md lists each one.
    struct Texts {
        static constexpr const char* notTrusted = "❌ X11 session needed; stopping.";
        static constexpr const char* focusCheck =
            "Alt + arrow moves focus to a neighbouring window";
        static constexpr const char* swapCheck =
            "Alt+Shift + arrow swaps the focused window with its neighbour";
        static constexpr const char* growCheck = "Alt+= grows the main window";
        static constexpr const char* floatCheck = "Alt+Shift+F floats the focused window";
        static constexpr const char* tileAgainCheck = "Alt+Shift+F tiles it again";
        static constexpr const char* workspaceKey = "Alt+"; // + number
    };

    static constexpr RunLoop::Duration settleTime = std::chrono::milliseconds(800);

    SelfTest(TilingController& controller, AppSettings& settings, RunLoop& loop,
             DiagnosticsLog& log);
    ~SelfTest();
    SelfTest(const SelfTest&) = delete;
    SelfTest& operator=(const SelfTest&) = delete;

    // Starts the script; `finished` runs once at its end (after the end line, or after the
    // early end when the session cannot be controlled) and should end the program.
    void run(std::function<void()> finished);

    int passed() const { return passed_; }
    int failed() const { return failed_; }
    // False until the end line was written (an early end never writes it).
    bool completed() const { return completed_; }
    bool isRunning() const { return running_; }

    PlacementProbe& probe() { return probe_; }

private:
    struct Step {
        RunLoop::Duration wait{};
        std::function<void()> body;
    };
    using Duration = RunLoop::Duration;

    void advance();
    // Adds a step after the current one's earlier additions (or at the end while building).
    void then(Duration wait, std::function<void()> body);
    void then(std::function<void()> body) { then(Duration{}, std::move(body)); }
    void wait(Duration wait) {
        then(wait, [] {});
    }
    void placementCheck(std::string name);
    void check(bool passed, const std::string& text);
    void finish();

    void script();
    // Switching to an empty workspace and back, and moving the focused window away.
    void workspaceSteps();
    void focusSteps();
    // Focuses the display's tiled window at `index`, going on to the next when it refuses.
    void focusAttempt(std::size_t index);
    void ratioAndFloatSteps();
    void twoDisplaySteps();
    void hidingSteps(const DisplayID& display, const DisplayID& other);
    void assignmentSteps();
    void endSteps();

    std::string frontAppName();
    std::optional<WindowID> focusedID();
    std::string displayName(const DisplayID& display) { return controller_.screenName(display); }
    std::vector<DisplayID> displays() const { return controller_.manager().displays(); }

    TilingController& controller_;
    AppSettings& settings_;
    RunLoop& loop_;
    DiagnosticsLog& log_;
    PlacementProbe probe_;

    std::deque<Step> steps_;
    std::vector<Step> added_; // steps the running step adds, to run right after it
    bool inStep_ = false;
    RunLoop::TaskID task_ = 0;
    std::function<void()> finished_;
    bool running_ = false;
    bool completed_ = false;
    int passed_ = 0;
    int failed_ = 0;

    std::vector<std::pair<AXWindow, Rect>> saved_;
    // Values carried from one step to a later one.
    std::string rememberedApp_;
    std::optional<WindowID> movedID_;
    std::optional<DisplayID> testDisplay_;
    std::optional<WindowID> focusBefore_;
    std::vector<WindowID> orderBefore_;
    double ratioBefore_ = 0;
    std::optional<WindowID> floatID_;
    VisibilityReport before_;
};

} // namespace morvanta
