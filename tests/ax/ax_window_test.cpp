// AXWindow over the fake desktop: identity, text form, and what a vanished or faulty window
// answers.
#include "ax/fake/fake_window_access.h"
#include "desktop_fixture.h"

#include <unordered_map>

namespace morvanta::testing {
namespace {

using AXWindowTest = DesktopTest;

TEST_F(AXWindowTest, HandlesAreEqualByPidThenIdAcrossViews) {
    const AXWindow w = desktop.openWindow(editor, "notes.txt", {0, 0, 800, 600});
    const auto other = desktop.newProcess(FakeDesktop::morvantaPid);
    const AXWindow again = other->handle(w.id());
    EXPECT_EQ(w, again);
    EXPECT_EQ(std::hash<AXWindow>{}(w), std::hash<AXWindow>{}(again));

    std::unordered_map<AXWindow, int> map{{w, 1}};
    EXPECT_EQ(map.count(all().front()), 1u);

    const auto access = std::make_shared<FakeWindowAccess>(desktop);
    EXPECT_NE(w, access->handle(w.id(), term)); // same id, other process
    EXPECT_NE(w, AXWindow());
}

TEST_F(AXWindowTest, DescriptionNamesTheApplicationAndQuotesTheTitle) {
    const AXWindow w = desktop.openWindow(editor, "notes.txt", {0, 0, 800, 600});
    EXPECT_EQ(w.description(), "Editor — “notes.txt”");
    EXPECT_EQ(w.bundleIdentifier(), "org.example.Editor");
    desktop.setTitle(w, "");
    EXPECT_EQ(w.description(), "Editor — “”");
    EXPECT_EQ(AXWindow().description(), "pid 0 — “”");

    const AXWindow own = desktop.openWindow(FakeDesktop::morvantaPid, "Settings", {0, 0, 10, 10},
                                            {.windowClass = "Morvanta"});
    EXPECT_EQ(own.appName(), "pid 4242"); // an application without a name
    EXPECT_EQ(own.bundleIdentifier(), "Morvanta");
}

TEST_F(AXWindowTest, WindowOfAQuitApplicationAnswersAbsentResults) {
    const AXWindow w = desktop.openWindow(term, "bash", {10, 10, 500, 300});
    desktop.quitApp(term);
    EXPECT_FALSE(w.frame());
    EXPECT_EQ(w.title(), "");
    EXPECT_EQ(w.appName(), "pid " + std::to_string(term));
    EXPECT_FALSE(w.bundleIdentifier());
    EXPECT_FALSE(w.isStandard());
    EXPECT_FALSE(w.isMinimized());
    EXPECT_FALSE(w.setFrame({0, 0, 100, 100}));
    EXPECT_FALSE(w.setPosition({0, 0}));
    EXPECT_EQ(w.focus(), (FocusResult{-1, -1, -1}));
    EXPECT_FALSE(desktop.operations().back().succeeded);
    // The single-window parking forms: a window that is gone was neither marked nor restored.
    EXPECT_FALSE(access().setParkMark(w, {0, 0, 100, 100}));
    EXPECT_FALSE(access().parkMark(w));
    EXPECT_FALSE(access().iconify(w));
    EXPECT_FALSE(access().deiconify(w));
}

TEST_F(AXWindowTest, SingleWindowParkingFormsAnswerForTheWindow) {
    const AXWindow w = desktop.openWindow(editor, "a", {10, 10, 500, 300});
    EXPECT_TRUE(access().setParkMark(w, {10, 10, 500, 300}));
    EXPECT_EQ(access().parkMark(w), (Rect{10, 10, 500, 300}));
    EXPECT_TRUE(access().iconify(w));
    EXPECT_TRUE(access().isIconified(w));
    EXPECT_TRUE(access().deiconify(w));
    EXPECT_FALSE(access().isIconified(w));
    access().clearParkMark(w);
    EXPECT_FALSE(access().parkMark(w));
}

TEST_F(AXWindowTest, InjectedFaultsShowAsAbsentOrFailedResults) {
    const AXWindow w = desktop.openWindow(editor, "a", {10, 10, 500, 300});

    desktop.setFrameReadable(w, false);
    EXPECT_FALSE(w.frame());
    desktop.setFrameReadable(w, true);

    desktop.setMinimisedReadable(w, false);
    EXPECT_EQ(w.isMinimized(), std::nullopt); // unreadable, not false

    desktop.setMoveFault(w, MoveFault::refused);
    EXPECT_FALSE(w.setFrame({100, 100, 600, 400}));
    EXPECT_EQ(desktop.frameOf(w), (Rect{10, 10, 500, 300}));
    desktop.setMoveFault(w, MoveFault::ignored);
    EXPECT_TRUE(w.setFrame({100, 100, 600, 400}));
    EXPECT_EQ(desktop.frameOf(w), (Rect{10, 10, 500, 300}));
    EXPECT_EQ(desktop.setFrameCount(w), 2);

    // Two calls answered, gone before the third.
    desktop.vanishAfter(w, 2);
    EXPECT_TRUE(w.frame());
    EXPECT_EQ(w.title(), "a");
    EXPECT_FALSE(w.frame());
    EXPECT_FALSE(desktop.exists(w));
}

TEST_F(AXWindowTest, SetFrameKeepsTheApplicationsMinimumSize) {
    const AXWindow w =
        desktop.openWindow(editor, "wide", {0, 0, 900, 600}, {.minimumSize = {800, 200}});
    EXPECT_TRUE(w.setFrame({0, 0, 600, 500}));
    EXPECT_EQ(w.frame(), (Rect{0, 0, 800, 500}));
}

} // namespace
} // namespace morvanta::testing
