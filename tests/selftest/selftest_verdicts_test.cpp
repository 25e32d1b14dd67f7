// The self-test's verdicts on the fake desktop with a virtual clock: a clean run counts no
// failure, a window that stays on screen on a hidden workspace fails its check, a window that
// cannot shrink is a note and not a failure, and a session Morvanta may not control ends the
// script early (and still ends the program).
#include "app/selftest/self_test.h"
#include "tests/support/fake_desktop_controller.h"

#include <algorithm>

namespace morvanta::testing {
namespace {

using namespace std::chrono_literals;

class SelfTestVerdicts : public FakeDesktopControllerTest {
protected:
    void makeSelfTest() {
        makeController();
        selfTest = std::make_unique<SelfTest>(*controller, settings, loop, log);
    }
    void openThree() {
        desktop.openWindow(editor, "a", {10, 10, 300, 200});
        desktop.openWindow(editor, "b", {40, 40, 300, 200});
        desktop.openWindow(term, "c", {80, 80, 300, 200});
    }
    // Runs the script to its end on the virtual clock; `during` runs after every step of time.
    void runToEnd(const std::function<void()>& during = [] {}) {
        selfTest->run([this] { ++finishedCalls; });
        for (int i = 0; i < 2000 && finishedCalls == 0; ++i) {
            loop.advance(50ms);
            during();
        }
    }
    bool mentions(const std::string& part) const {
        return std::ranges::any_of(log.lines(), [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        });
    }
    std::string allLines() const {
        std::string out;
        for (const auto& line : log.lines())
            out += line + "\n";
        return out;
    }

    std::unique_ptr<SelfTest> selfTest;
    int finishedCalls = 0;
};

TEST_F(SelfTestVerdicts, CleanRunPassesEveryCheckAndPutsWindowsBack) {
    openThree();
    makeSelfTest();
    runToEnd();
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_TRUE(selfTest->completed());
    EXPECT_EQ(selfTest->failed(), 0) << allLines();
    EXPECT_GE(selfTest->passed(), 15);
    EXPECT_TRUE(mentions("Saved positions of 3 windows."));
    EXPECT_TRUE(mentions("(Only one display connected: two-display checks skipped.)"));
    EXPECT_TRUE(mentions("Put back 3 windows where they were."));
    EXPECT_TRUE(mentions("=== SELF-TEST END: " + std::to_string(selfTest->passed()) +
                         " passed, 0 failed ==="));
    EXPECT_FALSE(controller->isRunning().get());
    EXPECT_EQ(controller->parker().count(), 0);
}

TEST_F(SelfTestVerdicts, WindowShowingOnHiddenWorkspaceFailsItsCheck) {
    openThree();
    makeSelfTest();
    const auto a = desktop.system().windowList().all().front();
    bool moved = false;
    runToEnd([&] {
        // Once workspace 2 is shown (all parked), a user drags a window back into view.
        if (!moved && mentions("Workspace 2 on S1.") && controller->parker().isParked(a)) {
            desktop.userSetFrame(a, {200, 200, 300, 200});
            moved = true;
        }
    });
    ASSERT_TRUE(moved);
    EXPECT_TRUE(mentions("❌ Switch to empty workspace 2: all windows hidden: 0 shown, 3 hidden; "
                         "PROBLEMS: " +
                         a.description() + " should be hidden but is on screen"))
        << allLines();
    EXPECT_GE(selfTest->failed(), 1);
    EXPECT_TRUE(mentions(" passed, " + std::to_string(selfTest->failed()) + " failed ==="));
}

TEST_F(SelfTestVerdicts, WindowThatCannotShrinkIsANoteNotAFailure) {
    FakeWindowOptions big;
    big.minimumSize = {500, 900};
    const auto wide = desktop.openWindow(editor, "wide", {10, 10, 500, 900}, big);
    desktop.openWindow(term, "c", {80, 80, 300, 200});
    makeSelfTest();
    controller->start();
    loop.advance(500ms);
    const auto verdict = selfTest->probe().verifyPlacement();
    EXPECT_TRUE(verdict.passed) << verdict.detail;
    EXPECT_EQ(verdict.detail,
              "2 shown, 0 hidden; notes: " + wide.description() + " kept its minimum size");
}

TEST_F(SelfTestVerdicts, EmptyDesktopCountsNothing) {
    makeSelfTest();
    controller->start();
    loop.advance(500ms);
    const auto verdict = selfTest->probe().verifyPlacement();
    EXPECT_TRUE(verdict.passed);
    EXPECT_EQ(verdict.detail, "0 shown, 0 hidden");
    EXPECT_EQ(selfTest->probe().describePlacement(), "");
}

TEST_F(SelfTestVerdicts, NoControlOfTheSessionEndsEarlyWithoutSummary) {
    openThree();
    desktop.setTrusted(false);
    makeSelfTest();
    runToEnd();
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_FALSE(selfTest->completed());
    EXPECT_TRUE(mentions("❌ X11 session needed; stopping."));
    EXPECT_FALSE(mentions("SELF-TEST END"));
    EXPECT_FALSE(controller->isRunning().get());
}

} // namespace
} // namespace morvanta::testing
