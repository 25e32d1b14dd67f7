// KWinWindowSystem over the fake script: which windows it lists and in what order, the news it
// gives, one batch per flush, waiting for acknowledgements within the deadline, and a script
// that dies or starts anew.
#include "ax/kwin/kwin_focus_tracker.h"
#include "ax/window_parker.h"
#include "tests/kwin/kwin_fixture.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <poll.h>

namespace morvanta::testing {
namespace {

using namespace std::chrono_literals;
using Event = WindowObserver::Event;

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

TEST_F(KWinTest, ListsStandardWindowsByProcessThenFrontToBack) {
    make();
    EXPECT_FALSE(system->checkTrust(false)); // no hello yet
    const auto a = open(editor, "A");
    open(term, "T");
    const auto b = open(editor, "B"); // the editor's front window
    open(editor, "dialog", {}, FakeKWinWindow{.dialog = true});
    open(editor, "transient", {}, FakeKWinWindow{.transient = true});
    open(editor, "skip", {}, FakeKWinWindow{.skipTaskbar = true});
    open(editor, "panel", {}, FakeKWinWindow{.special = true});
    open(editor, "popup", {}, FakeKWinWindow{.normal = false});
    open(term, "small", {}, FakeKWinWindow{.minimized = true});
    open(term, "video", {}, FakeKWinWindow{.fullScreen = true});
    const auto own = open(ownPid, "Morvanta Settings");
    script.start();
    system->dispatchPending();
    EXPECT_TRUE(system->checkTrust(false));

    EXPECT_EQ(titles(), (std::vector<std::string>{"B", "A", "T"}));
    script.userActivate(a); // raises A
    system->dispatchPending();
    EXPECT_EQ(titles(), (std::vector<std::string>{"A", "B", "T"}));
    // Whatever has the focus, even Morvanta's own window.
    script.userActivate(own);
    system->dispatchPending();
    EXPECT_EQ(system->focused()->title(), "Morvanta Settings");
    EXPECT_EQ(handle(b).description(), "app — “B”");
    EXPECT_EQ(handle(b).bundleIdentifier(), "app");
    EXPECT_EQ(
        system->screens(),
        (std::vector<Screen>{{{0, 0, 1600, 1000}, {0, 0, 1600, 960}, "Virtual-1", "Virtual-1"}}));
}

TEST_F(KWinTest, WindowsParkedByMinimisingStayListedAndTheirNewsIsNone) {
    start();
    const auto a = open(editor, "A");
    const auto b = open(editor, "B");
    system->dispatchPending();
    auto observer = system->makeWindowObserver();
    std::vector<Event> events;
    observer->onEvent = [&](Event e) { events.push_back(e); };
    observer->start();

    auto& access = system->windowAccess();
    access.setParkMarks({{handle(a), {10, 10, 600, 400}}});
    access.iconifyAll({handle(a)});
    access.setFrames({{handle(b), {0, 0, 800, 960}}});
    system->dispatchPending();
    EXPECT_TRUE(events.empty()); // Morvanta's own parking and moves are no news
    EXPECT_EQ(titles(), (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(handle(a).isMinimized(), false);

    script.userMinimize(b, true);
    script.userMove(a, {5, 5, 300, 300});
    system->dispatchPending();
    EXPECT_EQ(events, (std::vector<Event>{Event::windowsChanged}));
    EXPECT_EQ(titles(), (std::vector<std::string>{"A"}));
    events.clear();
    script.window(a).fullScreen = true;
    script.userMinimize(a, true); // any change reports the whole window
    system->dispatchPending();
    EXPECT_EQ(events, (std::vector<Event>{Event::windowsChanged}));
    events.clear();
    script.userActivate(b);
    script.closeWindow(b);
    system->dispatchPending();
    EXPECT_EQ(events, (std::vector<Event>{Event::windowsChanged, Event::focusChanged}));
}

TEST_F(KWinTest, FocusTrackerFollowsTheActiveWindowAndItsFrame) {
    start();
    const auto a = open(editor, "A");
    const auto own = open(ownPid, "Settings");
    system->dispatchPending();
    auto tracker = system->makeFocusTracker();
    std::vector<std::optional<std::string>> reports;
    tracker->onChange = [&](const std::optional<AXWindow>& w) {
        reports.push_back(w ? std::optional(w->title()) : std::nullopt);
    };
    tracker->start(); // Morvanta's own window is active: none
    script.userActivate(a);
    system->dispatchPending();
    system->windowAccess().setFrames({{handle(a), {0, 0, 800, 960}}}); // Morvanta's move too
    system->dispatchPending();
    script.userActivate(own);
    script.userMove(own, {1, 1, 100, 100}); // own windows: nothing more
    system->dispatchPending();
    EXPECT_EQ(reports,
              (std::vector<std::optional<std::string>>{std::nullopt, "A", "A", std::nullopt}));
    // A burst of moves in one dispatch is one report.
    reports.clear();
    script.userActivate(a);
    script.userMove(a, {1, 1, 500, 500});
    script.userMove(a, {2, 2, 500, 500});
    system->dispatchPending();
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(KWinTest, EverythingSentBeforeAFlushGoesInOneBatch) {
    start();
    std::vector<AXWindow> windows;
    for (int i = 0; i < 8; ++i)
        open(editor, "w" + std::to_string(i));
    system->dispatchPending();
    windows = system->all();
    script.batches.clear();

    auto& access = system->windowAccess();
    std::vector<std::pair<AXWindow, Rect>> frames;
    for (std::size_t i = 0; i < windows.size(); ++i)
        frames.emplace_back(windows[i], Rect{double(i) * 100, 0, 100, 960});
    access.sendFrames(frames);
    access.sendPositions({{windows[0], {1599, 999}}, {windows[1], {1599, 999}}});
    access.sendFocus(windows[2]);
    EXPECT_EQ(script.batches.size(), 0u);
    access.settle();
    ASSERT_EQ(script.batches.size(), 1u);
    EXPECT_EQ(script.batches[0]["commands"].size(), 11u);
    EXPECT_EQ(windows[3].frame(), (Rect{300, 0, 100, 960}));
    EXPECT_EQ(system->focused(), windows[2]);

    // A send alone wakes the descriptor, and the dispatch it brings flushes it.
    access.raise(windows[4]);
    EXPECT_TRUE(readable(system->eventDescriptor()));
    system->dispatchPending();
    EXPECT_EQ(script.batches.size(), 2u);
    system->dispatchPending(); // reads the acknowledgement
    EXPECT_FALSE(readable(system->eventDescriptor()));
}

TEST_F(KWinTest, SettleWaitsForTheAcknowledgementAndAnswersFromIt) {
    start();
    const auto a =
        open(editor, "A", {10, 10, 600, 400}, FakeKWinWindow{.sizeIncrement = Size{6, 13}});
    system->dispatchPending();
    script.mode = FakeKWinScript::Mode::lazy; // carries batches out only while Morvanta waits
    auto& access = system->windowAccess();
    access.sendFrames({{handle(a), {0, 0, 800, 960}}});
    access.queryFrames({handle(a)}); // reads answer at once, before anything went out
    EXPECT_EQ(handle(a).frame(), (Rect{10, 10, 600, 400}));
    access.settle();
    EXPECT_EQ(handle(a).frame(), (Rect{0, 0, 800, 960}));
    EXPECT_EQ(handle(a).sizeIncrement(), (Size{6, 13}));
    EXPECT_EQ(access.iconifyAll({handle(a)}), std::vector<bool>{true});
    EXPECT_TRUE(handle(a).focus() == (FocusResult{0, 0, 0}));
    EXPECT_EQ(handle(a).isMinimized(), false); // activation brings a window back
    EXPECT_LT(script.waited, 50ms);
    EXPECT_FALSE(system->stalled());
}

TEST_F(KWinTest, ADeadScriptCostsOneDeadlineAndComesBack) {
    start();
    const auto a = open(editor, "A");
    const auto b = open(editor, "B");
    system->dispatchPending();
    script.mode = FakeKWinScript::Mode::dead;
    WindowParker parker(*system, system->windowAccess());
    parker.parkAll({{handle(a), std::nullopt}, {handle(b), std::nullopt}});
    parker.restoreAll();
    system->windowAccess().setFrames({{handle(a), {0, 0, 800, 960}}});
    EXPECT_EQ(script.waited, 500ms);
    EXPECT_TRUE(system->stalled());
    EXPECT_TRUE(logged("did not carry out batch"));
    // Nothing was carried out, so the marks stay: the windows are not lost.
    EXPECT_EQ(system->windowAccess().markedWindows().size(), 2u);

    // It answers again (the next Poll, as a heartbeat's answer): requests wait again.
    script.mode = FakeKWinScript::Mode::prompt;
    script.userActivate(a);
    system->dispatchPending();
    EXPECT_FALSE(system->stalled());
    EXPECT_TRUE(system->windowAccess().setFrames({{handle(a), {0, 0, 800, 960}}})[0]);
    EXPECT_EQ(handle(a).frame(), (Rect{0, 0, 800, 960}));
}

TEST_F(KWinTest, ALostScriptStopsTheWaitAndItsNewHelloIsTheTruth) {
    start();
    const auto a = open(editor, "A");
    system->dispatchPending();
    const auto number = handle(a).id();
    script.loseScript();
    EXPECT_FALSE(system->checkTrust(false));
    system->windowAccess().setFrames({{handle(a), {0, 0, 800, 960}}}); // dropped: nobody to ask
    EXPECT_EQ(script.waited, 0ms);
    EXPECT_TRUE(script.batches.empty());

    // A new instance that forgot its hello is asked for one; its news counts from the hello on.
    script.window(a).caption = "renamed";
    script.start();
    script.sendRaw(R"({"script": "stray", "events": [{"type": "removed", "id": ")" + a + "\"}]}");
    system->dispatchPending();
    EXPECT_TRUE(logged("has not said hello"));
    EXPECT_EQ(script.batches.back()["commands"][0]["op"], "resync");
    system->dispatchPending(); // the hello asked for
    EXPECT_TRUE(system->checkTrust(false));
    EXPECT_EQ(handle(a).id(), number);
    EXPECT_EQ(handle(a).title(), "renamed");
}

TEST_F(KWinTest, HostileMessagesDropOnlyWhatIsBad) {
    start();
    const auto a = open(editor, "A");
    system->dispatchPending();
    auto observer = system->makeWindowObserver();
    int news = 0;
    observer->onEvent = [&](Event) { ++news; };
    observer->start();
    const std::string token = script.token();
    for (int i = 0; i < 40; ++i)
        script.sendRaw("{\"script\": \"" + token + "\", \"events\": [{\"type\": \"changed\", " +
                       "\"window\": {\"id\": \"" + a + "\", \"frame\": [0, 0, -1, 1e999]}}]}");
    script.sendRaw("garbage");
    system->dispatchPending();
    EXPECT_EQ(handle(a).frame(), (Rect{10, 10, 600, 400}));
    EXPECT_EQ(news, 0);
    // One line per problem, up to a limit per script instance.
    EXPECT_EQ(lines.size(), std::size_t(KWinSession::maxProblemLines + 2)); // + the hello's line
}

TEST_F(KWinTest, ARestartedScriptKeepsNumbersAndFindsParkedWindowsInTheStateFile) {
    start();
    const auto a = open(editor, "A", {10, 10, 600, 400});
    const auto b = open(editor, "B", {620, 10, 500, 300});
    const auto c = open(term, "C", {100, 500, 700, 300});
    system->dispatchPending();
    const auto numbers = std::vector{handle(a).id(), handle(b).id(), handle(c).id()};
    {
        WindowParker parker(*system, system->windowAccess());
        parker.parkAll({{handle(a), std::nullopt}, {handle(b), std::nullopt}});
        EXPECT_EQ(script.window(a).frame, (Rect{1599, 999, 600, 400}));
    }
    // KWin restarts: the same windows, same numbers, the marks still known.
    script.restartKWin();
    system->dispatchPending();
    EXPECT_EQ((std::vector{handle(a).id(), handle(b).id(), handle(c).id()}), numbers);
    EXPECT_EQ(system->windowAccess().markedWindows().size(), 2u);

    // Morvanta itself restarts (a crash): the new backend reads the marks and puts the windows
    // back exactly; a window closed meanwhile loses its mark only at the next hello.
    script.closeWindow(b);
    make();
    script.restartKWin();
    system->dispatchPending();
    EXPECT_TRUE(logged("Dropped the parking marks of 1 closed window(s)."));
    WindowParker parker(*system, system->windowAccess());
    EXPECT_EQ(parker.restoreMarked(), std::vector{handle(a)});
    EXPECT_EQ(script.window(a).frame, (Rect{10, 10, 600, 400}));
    EXPECT_EQ(handle(a).id(), 1u);
    EXPECT_TRUE(system->windowAccess().markedWindows().empty());
    std::ifstream file(stateFile());
    EXPECT_EQ(nlohmann::json::parse(file)["windows"], nlohmann::json::object());
}

TEST_F(KWinTest, WindowsKWinKnowsAnewAfterItsRestartKeepTheirNumbersAndMarks) {
    start();
    const auto a = open(editor, "A", {10, 10, 600, 400});
    const auto b = open(term, "B", {620, 10, 500, 300});
    const auto twin1 = open(editor, "Same");
    const auto twin2 = open(editor, "Same");
    system->dispatchPending();
    const auto numberA = handle(a).id(), numberB = handle(b).id(), numberTwin = handle(twin1).id();
    WindowParker parker(*system, system->windowAccess());
    parker.parkAll({{handle(a), std::nullopt}, {handle(b), std::nullopt}});

    // KWin restarts and names every window anew: a window still unmistakable keeps its number,
    // and the parker, which knows windows by number, puts it back.
    const auto renamed = script.restartKWin(true);
    system->dispatchPending();
    EXPECT_TRUE(logged("Found 2 parked window(s) again under new KWin ids."));
    EXPECT_EQ(handle(renamed.at(a)).id(), numberA);
    EXPECT_EQ(handle(renamed.at(b)).id(), numberB);
    EXPECT_GT(handle(renamed.at(twin1)).id(), numberTwin); // two alike: new to Morvanta
    EXPECT_GT(handle(renamed.at(twin2)).id(), numberTwin);
    parker.restoreAll();
    EXPECT_EQ(script.window(renamed.at(a)).frame, (Rect{10, 10, 600, 400}));
    EXPECT_EQ(script.window(renamed.at(b)).frame, (Rect{620, 10, 500, 300}));

    // Also when Morvanta was not running to see them go: the state file's marks find them.
    parker.parkAll({{handle(renamed.at(a)), std::nullopt}});
    make();
    const auto again = script.restartKWin(true);
    system->dispatchPending();
    WindowParker later(*system, system->windowAccess());
    EXPECT_EQ(later.restoreMarked().size(), 1u);
    EXPECT_EQ(script.window(again.at(renamed.at(a))).frame, (Rect{10, 10, 600, 400}));
}

TEST_F(KWinTest, AMarkStaysUntilTheScriptHasShownItsWindow) {
    start();
    const auto a = open(editor, "A", {10, 10, 600, 400});
    system->dispatchPending();
    WindowParker parker(*system, system->windowAccess());
    parker.park(handle(a));
    // Shown again as the controller does it: the frame sent, then the parker lets it go...
    system->windowAccess().sendFrames({{handle(a), {0, 0, 800, 960}}});
    parker.forget(handle(a));
    script.mode = FakeKWinScript::Mode::dead;
    system->dispatchPending(); // ...in a batch the dead script never carries out
    EXPECT_EQ(system->windowAccess().markedWindows().size(), 1u);

    // The next Morvanta puts it back where it was before parking.
    script.mode = FakeKWinScript::Mode::prompt;
    make();
    script.restartKWin();
    system->dispatchPending();
    WindowParker later(*system, system->windowAccess());
    EXPECT_EQ(later.restoreMarked().size(), 1u);
    EXPECT_EQ(script.window(a).frame, (Rect{10, 10, 600, 400}));
    EXPECT_TRUE(system->windowAccess().markedWindows().empty());
}

TEST_F(KWinTest, ADamagedStateFileIsSetAsideAndWhatCanBeReadIsKept) {
    std::filesystem::create_directories(stateFile().parent_path());
    std::ofstream(stateFile()) << R"({"version": 1, "windows": {
        "{good}": {"frame": [10, 10, 600, 400], "pid": 200},
        "{bad}": {"frame": [10, "x", 600, 400]}}})";
    const auto good = open(editor, "A", {1599, 999, 600, 400}, FakeKWinWindow{.id = "{good}"});
    start();
    EXPECT_TRUE(logged("are damaged (1 mark(s) cannot be read)"));
    ASSERT_EQ(system->windowAccess().markedWindows().size(), 1u);
    EXPECT_EQ(system->windowAccess().parkMark(handle(good)), (Rect{10, 10, 600, 400}));
    std::size_t aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(stateFile().parent_path()))
        aside += entry.path().filename().string().starts_with("kwin-parked.json.corrupt-");
    EXPECT_EQ(aside, 1u);

    std::ofstream(stateFile()) << "{ not json";
    lines.clear();
    start();
    EXPECT_TRUE(logged("are damaged (it is not a version 1 marks document)"));
    EXPECT_TRUE(system->windowAccess().markedWindows().empty());
    system->windowAccess().setParkMarks({{handle(good), {1, 2, 3, 4}}});
    start(); // read back
    EXPECT_EQ(system->windowAccess().parkMark(handle(good)), (Rect{1, 2, 3, 4}));
}

TEST_F(KWinTest, ScreensComeFromTheScriptWithTheirNews) {
    start();
    int told = 0;
    system->onScreensChanged = [&] { ++told; };
    script.setScreens({{"DP-1", {0, 0, 1920, 1080}, {0, 0, 1920, 1040}, "SN1"},
                       {"DP-2", {1920, 0, 1280, 1024}, {1920, 0, 1280, 1024}, "SN1"},
                       {"HDMI-1", {3200, 0, 800, 600}, {3200, 0, 800, 600}, "SN9"}});
    system->dispatchPending();
    EXPECT_EQ(told, 1);
    const auto screens = system->screens();
    ASSERT_EQ(screens.size(), 3u);
    // A serial two screens share names neither.
    EXPECT_EQ(screens[0].identity, "DP-1");
    EXPECT_EQ(screens[1].identity, "DP-2");
    EXPECT_EQ(screens[2].identity, "SN9");
    EXPECT_EQ(screens[0].visibleFrame, (Rect{0, 0, 1920, 1040}));
    script.restartKWin();
    system->dispatchPending();
    EXPECT_EQ(told, 2);
}

TEST_F(KWinTest, WindowNumbersMatchFramesWithinTwoPoints) {
    start();
    const auto a = open(editor, "A", {10, 10, 600, 400});
    system->dispatchPending();
    auto& numbers = system->windowNumbers();
    EXPECT_EQ(numbers.number(handle(a), {12, 8, 602, 398}), handle(a).id());
    EXPECT_FALSE(numbers.number(handle(a), {12.5, 10, 600, 400}));
    EXPECT_EQ(numbers.bounds(handle(a).id()), (Rect{10, 10, 600, 400}));
    script.userMinimize(a, true);
    system->dispatchPending();
    EXPECT_FALSE(numbers.number(handle(a), {10, 10, 600, 400}));
    EXPECT_FALSE(numbers.bounds(999));
}

} // namespace
} // namespace morvanta::testing
