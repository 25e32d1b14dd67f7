// Enumeration on a real X server, with and without a window manager: which windows count as
// tileable, their order, the focused window, and the cost in round trips.
#include "ax/x11/x11_facts_memo.h"
#include "tests/x11/x11_desktop.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

using namespace morvanta;
using namespace morvanta::testing;

namespace {

class X11Enumeration : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        desktop = std::make_unique<X11Desktop>(desktopOptions(GetParam()));
        ASSERT_TRUE(desktop->ok()) << desktop->error();
    }
    // Creates a window, runs the setup commands on it before mapping it, and waits until the
    // window manager (if any) has handled it.
    AXWindow make(const std::string& name, const std::vector<std::string>& setup = {}) {
        const auto id = desktop->client().open(name, 40, 40, 300, 200, false);
        for (const auto& command : setup)
            EXPECT_EQ(desktop->client().command(command), "ok") << command;
        EXPECT_EQ(desktop->client().command("map " + name), "ok");
        settle();
        return desktop->handle(id);
    }
    void settle() {
        if (desktop->managed())
            desktop->system().connection().syncWithWindowManager();
    }
    std::vector<std::string> titles(const std::vector<AXWindow>& windows) {
        std::vector<std::string> result;
        for (const auto& w : windows)
            result.push_back(w.title());
        return result;
    }
    bool listsExactly(const std::vector<std::string>& expected) {
        return waitFor([&] {
            settle();
            auto listed = titles(desktop->system().windowList().all());
            std::sort(listed.begin(), listed.end());
            return listed == expected;
        });
    }
    std::unique_ptr<X11Desktop> desktop;
};

TEST_P(X11Enumeration, OnlyOrdinaryWindowsAreListed) {
    const auto main = make("main");
    make("dialog", {"type dialog dialog"});
    make("utility", {"type utility utility"});
    make("dock", {"type dock dock"});
    make("splash", {"type splash splash"});
    make("transient", {"transient transient main"});
    make("unreadable", {"type unreadable bad"});
    make("explicit", {"type explicit normal"});
    make("taskbarless", {"state taskbarless skip_taskbar"});
    make("pagerless", {"state pagerless skip_pager"});
    make("minimised");
    make("fullscreen");
    EXPECT_TRUE(listsExactly({"explicit", "fullscreen", "main", "minimised"}));

    ASSERT_EQ(desktop->client().command("iconify minimised"), "ok");
    ASSERT_EQ(desktop->client().command("fullscreen fullscreen on"), "ok");
    EXPECT_TRUE(listsExactly({"explicit", "main"}));
    EXPECT_EQ(desktop->handle(main.id()).isStandard(), true);

    // Restored windows come back.
    ASSERT_EQ(desktop->client().command("deiconify minimised"), "ok");
    ASSERT_EQ(desktop->client().command("fullscreen fullscreen off"), "ok");
    EXPECT_TRUE(listsExactly({"explicit", "fullscreen", "main", "minimised"}));
}

TEST_P(X11Enumeration, RealProgramsWithoutATypeAreOrdinary) {
    ASSERT_GT(desktop->server().spawn({"xclock", "-geometry", "200x200+50+50"}), 0);
    ASSERT_GT(desktop->server().spawn({"xterm", "-geometry", "40x10+400+50"}), 0);
    EXPECT_TRUE(waitFor(
        [&] {
            settle();
            std::vector<std::string> classes;
            for (const auto& w : desktop->system().windowList().all())
                classes.push_back(w.bundleIdentifier().value_or("?"));
            std::sort(classes.begin(), classes.end());
            return classes == std::vector<std::string>{"XClock", "XTerm"};
        },
        std::chrono::seconds(10)));
}

TEST_P(X11Enumeration, MorvantasOwnWindowsAreLeftOut) {
    make("theirs");
    TestClient own(desktop->server().display());
    ASSERT_TRUE(own.ok());
    ASSERT_NE(own.open("ours", 500, 40, 300, 200), 0u);
    // A window system that takes the second client's process for its own.
    auto system = desktop->openSystem(own.pid());
    ASSERT_TRUE(system);
    EXPECT_TRUE(waitFor([&] {
        settle();
        const auto mine = titles(system->windowList().all());
        const auto everyone = titles(desktop->system().windowList().all());
        return mine == std::vector<std::string>{"theirs"} && everyone.size() == 2;
    }));
}

TEST_P(X11Enumeration, ApplicationsInOrderOfTheirFirstWindowAndWindowsFrontToBack) {
    TestClient other(desktop->server().display());
    ASSERT_TRUE(other.ok());
    const auto a1 = make("a1");
    ASSERT_NE(other.open("b1", 400, 40, 300, 200), 0u);
    settle();
    const auto a2 = make("a2");
    EXPECT_TRUE(waitFor([&] {
        settle();
        return titles(desktop->system().windowList().all()) ==
               std::vector<std::string>{"a2", "a1", "b1"};
    })) << ::testing::PrintToString(titles(desktop->system().windowList().all()));
    a1.raise();
    settle();
    EXPECT_TRUE(waitFor([&] {
        return titles(desktop->system().windowList().all()) ==
               std::vector<std::string>{"a1", "a2", "b1"};
    })) << ::testing::PrintToString(titles(desktop->system().windowList().all()));
    (void)a2;
}

TEST_P(X11Enumeration, FocusedWindowIsWhateverHasFocus) {
    const auto a = make("a");
    const auto dialog = make("dialog", {"type dialog dialog"});
    ASSERT_EQ(desktop->client().command("focus a"), "ok");
    EXPECT_TRUE(waitFor([&] {
        settle();
        return desktop->system().windowList().focused() == std::optional<AXWindow>(a);
    }));
    // No filter: a dialog can be the focused window.
    ASSERT_EQ(desktop->client().command("focus dialog"), "ok");
    EXPECT_TRUE(waitFor([&] {
        settle();
        return desktop->system().windowList().focused() == std::optional<AXWindow>(dialog);
    }));
}

// While the focus tracker hears every top-level window's focus news, a focus read is
// remembered until news comes, and focus changes made by other clients are never missed.
TEST_P(X11Enumeration, RememberedFocusFollowsEveryChange) {
    const auto a = make("a");
    const auto b = make("b");
    auto tracker = desktop->system().makeFocusTracker();
    tracker->start();
    auto& list = desktop->system().windowList();
    auto& x = desktop->system().connection();
    for (const auto* target : {&a, &b, &a, &b}) {
        const std::string name = target == &a ? "a" : "b";
        ASSERT_EQ(desktop->client().command("focus " + name), "ok");
        EXPECT_TRUE(waitFor([&] { return list.focused() == std::optional<AXWindow>(*target); }))
            << name;
        // Once the news of the change is in (a window manager's own comes a moment after the
        // focus), the focused window is answered from memory, without asking the server.
        EXPECT_TRUE(waitFor([&] {
            const long before = x.roundTrips();
            return list.focused() == std::optional<AXWindow>(*target) && x.roundTrips() == before;
        })) << name
            << ": asked again without news";
    }
    // Morvanta's own focus holder taking the keyboard is remembered as nothing focused, and
    // the focus leaving it for a window is seen.
    desktop->system().windowAccess().focusNothing();
    x.sync(); // carried out before the other client's focus below
    EXPECT_TRUE(waitFor([&] {
        const long before = x.roundTrips();
        // A window manager names no active window then, and that is always asked again.
        return !list.focused() && (GetParam() || x.roundTrips() == before);
    })) << "nothing focused, asked again without news";
    ASSERT_EQ(desktop->client().command("focus a"), "ok");
    EXPECT_TRUE(waitFor([&] { return list.focused() == std::optional<AXWindow>(a); }));
    if (!GetParam()) {
        // A focus Morvanta asks for is known at once; the window unmapping before it could
        // take it is heard of.
        desktop->system().windowAccess().sendFocus(b);
        const long before = x.roundTrips();
        EXPECT_EQ(list.focused(), std::optional<AXWindow>(b));
        EXPECT_EQ(x.roundTrips() - before, 0);
        x.sync();
        ASSERT_EQ(desktop->client().command("unmap b"), "ok");
        EXPECT_TRUE(waitFor([&] { return list.focused() != std::optional<AXWindow>(b); }));
        // The focus falling back to nothing is remembered as well, and a window that takes it
        // from nothing before its own news is selected is still seen, through the root's news.
        EXPECT_TRUE(waitFor([&] {
            const long before = x.roundTrips();
            return !list.focused() && x.roundTrips() == before;
        })) << "nothing focused after a close, asked again without news";
        const auto c = desktop->handle(desktop->client().open("c", 60, 60, 300, 200, false));
        ASSERT_EQ(desktop->client().command("map c"), "ok");
        ASSERT_EQ(desktop->client().command("focus c"), "ok");
        EXPECT_TRUE(waitFor([&] { return list.focused() == std::optional<AXWindow>(c); }));
    }
    tracker->stop();
}

TEST_P(X11Enumeration, EnumeratingAndReadingFramesTakesThreeRoundTrips) {
    ASSERT_EQ(desktop->client().command("many 30 w"), "ok");
    ASSERT_TRUE(waitFor([&] {
        settle();
        return desktop->system().windowList().all().size() == 30;
    }));
    auto& x = desktop->system().connection();
    const long before = x.roundTrips();
    const auto windows = desktop->system().windowList().all();
    const auto frames = desktop->system().windowAccess().frames(windows);
    EXPECT_LE(x.roundTrips() - before, 3);
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(), [](const auto& f) { return f; }), 30);
}

// Some programs (xclock) set _NET_WM_PID only after mapping: read before that, the window must
// stay the same window once its process id is there, or it would be taken for a new one.
TEST_P(X11Enumeration, AWindowGivingItsProcessLateStaysTheSameWindow) {
    const auto late = make("late", {"nopid late"});
    auto& x = desktop->system().connection();
    x.selectClientEvents(static_cast<xcb_window_t>(late.id())); // as the observer does
    x.flush();
    const auto first = desktop->system().windowList().all();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].pid(), 0);
    ASSERT_EQ(desktop->client().command("setpid late"), "ok");
    x.sync();
    const auto again = desktop->system().windowList().all();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0], first[0]);
}

// Without a window manager the facts of windows whose news is selected are remembered, and the
// root's children are kept from the news: listing again without news asks nothing, and every change
// another client makes to what decides tileability (type, iconic state, full screen, mapping, a new
// window, a close) is seen at once.
TEST_P(X11Enumeration, RememberedFactsFollowEveryChange) {
    for (const char* name : {"a", "b", "c", "d", "e", "f"})
        make(name);
    auto& x = desktop->system().connection();
    for (const auto& w : desktop->system().windowList().all())
        x.selectClientEvents(static_cast<xcb_window_t>(w.id())); // as the observer does
    x.flush();
    desktop->system().windowList().all();
    if (!GetParam()) {
        const long before = x.roundTrips();
        EXPECT_EQ(desktop->system().windowList().all().size(), 6u);
        EXPECT_EQ(x.roundTrips() - before, 0) << "facts or children asked again without news";
    }
    auto& other = desktop->client();
    ASSERT_EQ(other.command("type a dialog"), "ok");
    ASSERT_EQ(other.command("iconify b"), "ok");
    ASSERT_EQ(other.command("fullscreen c on"), "ok");
    ASSERT_EQ(other.command("state d skip_taskbar"), "ok");
    ASSERT_EQ(other.command("close e"), "ok");
    const auto g = make("g");
    if (!GetParam()) {
        // A window that maps is read while its news comes in: listing it, its texts, its size
        // steps and whether it holds screen space then cost taking in those answers (in
        // already), not five asks; a new title or new steps are heard of.
        desktop->system().screenSource().screens();
        x.sync();
        const long before = x.roundTrips();
        EXPECT_EQ(desktop->system().windowList().all().size(), 2u);
        EXPECT_EQ(g.title(), "g");
        EXPECT_FALSE(g.sizeIncrement());
        desktop->system().screenSource().screens();
        EXPECT_EQ(x.roundTrips() - before, 1) << "a new window asked about after its mapping";
        ASSERT_EQ(other.command("title g renamed"), "ok");
        EXPECT_TRUE(waitFor([&] { return g.title() == "renamed"; }));
        ASSERT_EQ(other.command("title g g"), "ok");
        ASSERT_EQ(other.command("increments g 6 13"), "ok");
        EXPECT_TRUE(waitFor([&] { return g.sizeIncrement() == std::optional(Size{6, 13}); }));
    }
    x.selectClientEvents(static_cast<xcb_window_t>(g.id()));
    EXPECT_TRUE(listsExactly({"f", "g"}));
    // Morvanta's own park marks change what is remembered without a new reading.
    if (!GetParam()) {
        auto& access = desktop->system().windowAccess();
        const auto all = desktop->system().windowList().all();
        const auto f =
            *std::ranges::find_if(all, [](const AXWindow& w) { return w.title() == "f"; });
        const auto id = static_cast<xcb_window_t>(f.id());
        for (const auto& mark :
             {std::optional<Rect>(Rect{10, 20, 300, 200}), std::optional<Rect>()}) {
            if (mark)
                access.setParkMarks({{f, *mark}});
            else
                access.clearParkMarks({f});
            x.sync(); // the news of the write is in
            const long before = x.roundTrips();
            EXPECT_EQ(desktop->system().windowList().all().size(), 2u);
            EXPECT_EQ(x.roundTrips() - before, 0) << "facts asked again after an own mark";
            ASSERT_TRUE(x.factsMemo().known(id));
            EXPECT_EQ(x.factsMemo().known(id)->mark, mark);
        }
    }
    ASSERT_EQ(other.command("type a normal"), "ok");
    ASSERT_EQ(other.command("deiconify b"), "ok");
    ASSERT_EQ(other.command("fullscreen c off"), "ok");
    ASSERT_EQ(other.command("unmap f"), "ok");
    EXPECT_TRUE(listsExactly({"a", "b", "c", "g"}));
}

// A connection acting as a window manager would, for the handover test below.
struct FakeWindowManager {
    explicit FakeWindowManager(const std::string& display)
        : c(xcb_connect(display.c_str(), nullptr)),
          root(xcb_setup_roots_iterator(xcb_get_setup(c)).data->root) {}
    ~FakeWindowManager() { xcb_disconnect(c); }
    void redirect() {
        const std::uint32_t mask[] = {XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT};
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, mask);
    }
    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : XCB_NONE;
        free(r);
        return a;
    }
    xcb_window_t window(xcb_window_t parent) {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, 10, 10, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        return w;
    }
    void setWindows(xcb_window_t on, const char* property, std::vector<xcb_window_t> values) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, on, atom(property), XCB_ATOM_WINDOW, 32,
                            static_cast<std::uint32_t>(values.size()), values.data());
    }
    void announce() {
        const xcb_window_t check = window(root);
        setWindows(check, "_NET_SUPPORTING_WM_CHECK", {check});
        setWindows(root, "_NET_SUPPORTING_WM_CHECK", {check});
        sync();
    }
    // A frame around the client, mapped, as a window manager manages a window.
    void frame(xcb_window_t client) {
        const xcb_window_t f = window(root);
        xcb_change_save_set(c, XCB_SET_MODE_INSERT, client);
        xcb_reparent_window(c, client, f, 0, 20);
        xcb_map_window(c, client);
        xcb_map_window(c, f);
        sync();
    }
    void sync() { free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }
    xcb_connection_t* c;
    xcb_window_t root;
};

// Without a window manager the root's children are kept from the news: whatever another client
// does to their stacking (creating, raising, lowering, placing above a sibling, circulating,
// reparenting away and back, destroying), the kept order is the server's.
TEST(X11StackingMemo, KeepsTheServersOrderThroughEveryRestacking) {
    X11Desktop desktop(desktopOptions(false));
    ASSERT_TRUE(desktop.ok()) << desktop.error();
    auto& x = desktop.system().connection();
    desktop.system().windowList().all();
    FakeWindowManager other(desktop.server().display());
    const auto matches = [&](const char* step) {
        other.sync();
        x.sync();
        auto* tree = xcb_query_tree_reply(other.c, xcb_query_tree(other.c, other.root), nullptr);
        const auto* c = xcb_query_tree_children(tree);
        const std::vector<xcb_window_t> server(c, c + xcb_query_tree_children_length(tree));
        free(tree);
        const auto* kept = x.stackingMemo().known();
        EXPECT_TRUE(kept) << step;
        EXPECT_EQ(kept ? *kept : std::vector<xcb_window_t>{}, server) << step;
    };
    const auto restack = [&](xcb_window_t w, std::optional<xcb_window_t> sibling,
                             std::uint32_t mode) {
        std::vector<std::uint32_t> values;
        std::uint16_t mask = XCB_CONFIG_WINDOW_STACK_MODE;
        if (sibling) {
            mask |= XCB_CONFIG_WINDOW_SIBLING;
            values.push_back(*sibling);
        }
        values.push_back(mode);
        xcb_configure_window(other.c, w, mask, values.data());
    };
    const auto a = other.window(other.root), b = other.window(other.root),
               c = other.window(other.root);
    for (const auto w : {a, b, c})
        xcb_map_window(other.c, w);
    matches("created and mapped");
    restack(a, std::nullopt, XCB_STACK_MODE_ABOVE);
    matches("raised");
    restack(c, std::nullopt, XCB_STACK_MODE_BELOW);
    matches("lowered");
    restack(c, b, XCB_STACK_MODE_ABOVE);
    matches("placed above a sibling");
    const std::uint32_t moved[] = {30, 40};
    xcb_configure_window(other.c, b, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, moved);
    matches("moved without restacking");
    xcb_circulate_window(other.c, XCB_CIRCULATE_RAISE_LOWEST, other.root);
    matches("circulated up");
    xcb_circulate_window(other.c, XCB_CIRCULATE_LOWER_HIGHEST, other.root);
    matches("circulated down");
    xcb_reparent_window(other.c, a, b, 0, 0);
    matches("reparented away");
    xcb_reparent_window(other.c, a, other.root, 5, 5);
    matches("reparented back");
    xcb_destroy_window(other.c, c);
    matches("destroyed");
    // Listing now asks nothing of the server.
    const long before = x.roundTrips();
    desktop.system().windowList().all();
    EXPECT_EQ(x.roundTrips() - before, 0);
}

// A window manager handing over to another, as Mutter replaced by Mutter does: the new one
// announces itself, the old one deletes the check property as it quits, and the new one
// redirects the root's children and frames the windows a moment later. Frames on the root are
// never taken for application windows, neither before a client list names the windows nor in
// the moment with no window manager in sight.
TEST(X11EnumerationWhileAWindowManagerTakesOver, ItsFramesAreNeverTakenForWindows) {
    X11Desktop desktop(desktopOptions(false));
    ASSERT_TRUE(desktop.ok()) << desktop.error();
    const auto client = desktop.client().open("inside", 10, 10, 200, 100, false);
    const auto titles = [&] {
        desktop.system().dispatchPending();
        std::vector<std::string> listed;
        for (const auto& w : desktop.system().windowList().all())
            listed.push_back(w.title());
        return listed;
    };
    const std::vector<std::string> justTheClient = {"inside"};
    auto first = std::make_unique<FakeWindowManager>(desktop.server().display());
    first->redirect();
    first->announce();
    first->frame(client);
    EXPECT_TRUE(titles().empty()); // framed, but in no client list yet
    first->setWindows(first->root, "_NET_CLIENT_LIST", {client});
    first->sync();
    EXPECT_TRUE(waitFor([&] { return titles() == justTheClient; }));

    FakeWindowManager second(desktop.server().display());
    second.announce();
    EXPECT_EQ(titles(), justTheClient);
    xcb_delete_property(first->c, first->root, first->atom("_NET_SUPPORTING_WM_CHECK"));
    first->sync();
    first.reset();
    // Read twice: the first read takes in the news that the check property went.
    for (int read = 0; read < 2; ++read)
        EXPECT_EQ(titles(), justTheClient);
    second.redirect();
    second.frame(client);
    EXPECT_EQ(titles(), justTheClient);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11Enumeration, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Openbox" : "NoWM"; });

} // namespace
