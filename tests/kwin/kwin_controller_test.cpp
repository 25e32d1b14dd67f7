// The real tiling controller on the KWin backend over the fake script, driven by a virtual-clock
// run loop that watches the backend's descriptor as the application's loop does: windows tile at
// start, a workspace switch hides and shows them (one batch each way; an empty workspace leaves
// nothing active), a KWin restart changes nothing the user sees, stopping puts every hidden
// window back, and a Wayland window's size, which comes after the batch's acknowledgement, is
// waited for rather than taken for a minimum (also when it comes later than the wait, on a
// loaded machine), and takes its parking mark off when it answers; a first frame KWin drops is
// asked again.
#include "app/controller/manual_run_loop.h"
#include "app/controller/tiling_controller.h"
#include "app/settings/memory_preferences_domain.h"
#include "ax/screen_geometry.h"
#include "tests/kwin/kwin_fixture.h"

namespace morvanta::testing {
namespace {

using namespace std::chrono_literals;

class KWinControllerTest : public KWinTest {
protected:
    ~KWinControllerTest() override {
        controller.reset();
        loop.cancel(watch);
    }

    void startController() {
        start();
        watch = loop.watch(system->eventDescriptor(), [this] { system->dispatchPending(); });
        controller = std::make_unique<TilingController>(*system, loop, log, settings);
        controller->start();
        pump();
    }
    // Runs the loop as the application would until everything due has happened.
    void pump() {
        for (int i = 0; i < 20; ++i) {
            loop.pollDescriptors();
            loop.advance(50ms);
        }
    }
    Rect frameOf(const AXWindow& window) {
        return script.window(*system->state().internalIdOf(window.id())).frame;
    }
    // Every window the plan shows is at its target in KWin.
    void expectTiled() {
        const auto plan = controller->currentPlan();
        ASSERT_FALSE(plan.visible.empty());
        for (const auto& [id, target] : plan.visible) {
            const auto window = controller->registry().windowFor(id);
            ASSERT_TRUE(window);
            EXPECT_TRUE(frameMatches(frameOf(*window), target, std::nullopt))
                << window->title() << " at " << frameOf(*window).x << "," << frameOf(*window).y;
        }
    }

    ManualRunLoop loop;
    DiagnosticsLog log{std::nullopt};
    MemoryPreferencesDomain domain;
    AppSettings settings{domain};
    std::unique_ptr<TilingController> controller;
    RunLoop::TaskID watch = 0;
};

TEST_F(KWinControllerTest, TilesSwitchesWorkspacesAndBringsEverythingBackAtStop) {
    const auto a = open(editor, "A", {10, 10, 600, 400});
    const auto b = open(editor, "B", {50, 50, 600, 400});
    const auto t = open(term, "T", {90, 90, 600, 400});
    startController();
    ASSERT_TRUE(controller->isRunning().get());
    EXPECT_EQ(controller->registry().count(), 3);
    expectTiled();
    const std::map<std::string, Rect> tiles = {
        {a, script.window(a).frame}, {b, script.window(b).frame}, {t, script.window(t).frame}};
    const auto screens = system->screens();

    // Away to an empty workspace: every window parked, in one batch, and the keyboard taken from
    // the focused one, which would otherwise type into a window no one sees.
    script.userActivate(b);
    pump();
    const auto before = script.batches.size();
    controller->commands().switchToWorkspace(2);
    pump();
    EXPECT_EQ(script.batches.size(), before + 1);
    for (const auto& id : {a, b, t})
        EXPECT_TRUE(ScreenGeometry::isParkedPosition(screens, script.window(id).frame)) << id;
    EXPECT_EQ(system->windowAccess().markedWindows().size(), 3u);
    EXPECT_EQ(script.active(), std::nullopt);

    // KWin restarts meanwhile and names its windows anew: still the same windows to the
    // controller, still parked.
    const auto renamed = script.restartKWin(true);
    pump();
    EXPECT_EQ(controller->registry().count(), 3);
    EXPECT_EQ(system->windowAccess().markedWindows().size(), 3u);
    std::map<std::string, Rect> tilesNow;
    for (const auto& [id, frame] : tiles)
        tilesNow[renamed.at(id)] = frame;

    controller->commands().switchToWorkspace(1);
    pump();
    ASSERT_EQ(script.batches.size(), before + 2);
    EXPECT_EQ(script.batches.back()["commands"].size(), 4u); // three frames and the activation
    EXPECT_EQ(script.batches.back()["commands"][3]["op"], "activate");
    for (const auto& [id, frame] : tilesNow)
        EXPECT_EQ(script.window(id).frame, frame) << id;
    EXPECT_TRUE(system->windowAccess().markedWindows().empty());

    // Stopping (as on SIGTERM) on the empty workspace puts every window back exactly.
    controller->commands().switchToWorkspace(2);
    pump();
    controller->stop();
    for (const auto& [id, frame] : tilesNow)
        EXPECT_EQ(script.window(id).frame, frame) << id;
    EXPECT_TRUE(system->windowAccess().markedWindows().empty());
    EXPECT_EQ(script.waited < 100ms, true);
}

TEST_F(KWinControllerTest, AWaylandWindowsLateSizeIsWaitedForNotTakenForAMinimum) {
    FakeKWinWindow wayland;
    wayland.resizesLater = true;
    open(editor, "A", {10, 10, 600, 400}, wayland);
    const auto b = open(term, "B", {50, 50, 600, 400}, wayland);
    startController();
    open(term, "C", {90, 90, 600, 400}, wayland); // B shares the stack with it: half as tall
    pump();
    expectTiled();
    EXPECT_TRUE(controller->minimums().empty());

    // Moved to another workspace, then shown there alone, larger: its parking mark goes once its
    // program has answered, though the batch's acknowledgement still had it in the corner.
    script.userActivate(b);
    pump();
    controller->commands().moveFocusedWindow(2);
    pump();
    EXPECT_EQ(system->windowAccess().markedWindows().size(), 1u);
    controller->commands().switchToWorkspace(2);
    pump();
    EXPECT_FALSE(ScreenGeometry::isParkedPosition(system->screens(), script.window(b).frame));
    EXPECT_EQ(system->windowAccess().markedWindows().size(), 2u); // A and C, parked now
    controller->commands().moveFocusedWindow(1); // B, focused there, back to the others
    pump();
    controller->commands().switchToWorkspace(1);
    pump();
    EXPECT_TRUE(system->windowAccess().markedWindows().empty());
    expectTiled();

    // A program that will not shrink answers nothing: after a bounded wait its size is what it
    // keeps, and that is learned.
    const double tall = script.window(b).frame.height;
    script.window(b).smallest = {0, tall};
    const auto waited = script.waited;
    open(term, "D", {90, 90, 600, 400}, wayland);
    pump();
    ASSERT_EQ(controller->minimums().size(), 1u);
    EXPECT_EQ(controller->minimums().begin()->second.height, tall);
    EXPECT_LT(script.waited - waited, 1200ms); // one wait, and the retry's, at most
}

// A loaded machine: every program answers each request in order, 700 ms late, after the
// backend stopped waiting, so an answer to one layout arrives while the next one waits. Neither
// is a refusal to shrink. And KWin drops the first frame asked of a window it places once more
// after it appeared: that frame is asked again.
TEST_F(KWinControllerTest, LateAnswersAreNoMinimumsAndADroppedFrameIsAskedAgain) {
    FakeKWinWindow slow;
    slow.resizesLater = true;
    slow.answerDelay = 700ms;
    open(editor, "A", {10, 10, 600, 400}, slow);
    open(term, "B", {50, 50, 600, 400}, slow);
    startController();
    for (const auto* caption : {"C", "D", "E"}) {
        open(term, caption, {90, 90, 600, 400}, slow);
        pump();
    }
    script.passTime(2s);
    pump();
    EXPECT_TRUE(controller->minimums().empty());
    expectTiled();

    FakeKWinWindow placed;
    placed.resizesLater = true;
    placed.placedAfterFirstFrame = Rect{650, 381, 300, 237};
    open(editor, "F", {0, 0, 300, 237}, placed);
    pump();
    script.passTime(2s); // the programs answer, F its frame asked again
    pump();
    expectTiled();
    EXPECT_TRUE(controller->minimums().empty());
}

TEST_F(KWinControllerTest, NewAndClosedWindowsAreFollowed) {
    open(editor, "A");
    startController();
    const auto b = open(term, "B");
    pump();
    EXPECT_EQ(controller->registry().count(), 2);
    expectTiled();
    script.closeWindow(b);
    pump();
    EXPECT_EQ(controller->registry().count(), 1);
    expectTiled();
}

} // namespace
} // namespace morvanta::testing
