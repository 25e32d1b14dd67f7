// The parker's contract on a small in-memory desktop: parking once, saved frames kept, the
// switch to minimising when corners do not hold, forget, restoreAll and restoring from marks.
#include "ax/screen_geometry.h"
#include "ax/window_parker.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>

using namespace morvanta;

namespace {

// Windows with frames, a minimised state and marks; optionally pulls windows back on screen the
// way some window managers do.
class Desk : public WindowAccess, public ScreenSource {
public:
    struct Win {
        Rect frame;
        bool iconic = false;
        std::optional<Rect> mark;
    };
    std::map<std::uint32_t, Win> windows;
    bool keepsOnScreen = false;
    int moves = 0;
    Rect screenFrame{0, 0, 1000, 800};

    std::vector<Screen> screens() override { return {{screenFrame, screenFrame, "S", "S"}}; }

    Win* find(const AXWindow& w) {
        const auto it = windows.find(w.id());
        return it == windows.end() ? nullptr : &it->second;
    }
    std::string title(const AXWindow&) override { return {}; }
    std::string appName(const AXWindow& w) override { return "pid " + std::to_string(w.pid()); }
    std::optional<std::string> bundleIdentifier(const AXWindow&) override { return {}; }
    bool isStandard(const AXWindow& w) override { return find(w); }
    std::optional<bool> isMinimized(const AXWindow& w) override {
        auto* x = find(w);
        return x ? std::optional<bool>(x->iconic && !x->mark) : std::nullopt;
    }
    std::optional<bool> isFullScreen(const AXWindow&) override { return false; }
    std::optional<Rect> frame(const AXWindow& w) override {
        auto* x = find(w);
        return x ? std::optional<Rect>(x->frame) : std::nullopt;
    }
    bool setFrame(const AXWindow& w, const Rect& r) override {
        auto* x = find(w);
        if (!x)
            return false;
        ++moves;
        x->frame = r;
        return true;
    }
    bool setPosition(const AXWindow& w, const Point& p) override {
        auto* x = find(w);
        if (!x)
            return false;
        ++moves;
        x->frame.x = keepsOnScreen ? std::min(p.x, screenFrame.maxX() - x->frame.width / 10) : p.x;
        x->frame.y = keepsOnScreen ? std::min(p.y, screenFrame.maxY() - x->frame.height / 10) : p.y;
        return true;
    }
    std::optional<Size> sizeIncrement(const AXWindow&) override { return {}; }
    void raise(const AXWindow&) override {}
    FocusResult focus(const AXWindow&) override { return {}; }
    bool setParkMark(const AXWindow& w, const Rect& r) override {
        auto* x = find(w);
        if (x)
            x->mark = r;
        return x;
    }
    void clearParkMark(const AXWindow& w) override {
        if (auto* x = find(w))
            x->mark.reset();
    }
    std::optional<Rect> parkMark(const AXWindow& w) override {
        auto* x = find(w);
        return x ? x->mark : std::nullopt;
    }
    std::vector<std::pair<AXWindow, Rect>> markedWindows() override {
        std::vector<std::pair<AXWindow, Rect>> result;
        for (const auto& [id, x] : windows)
            if (x.mark)
                result.emplace_back(AXWindow({}, id, 1), *x.mark);
        return result;
    }
    bool iconify(const AXWindow& w) override {
        auto* x = find(w);
        return x && (x->iconic = true);
    }
    bool deiconify(const AXWindow& w) override {
        auto* x = find(w);
        return x && !(x->iconic = false);
    }
    bool isIconified(const AXWindow& w) override {
        auto* x = find(w);
        return x && x->iconic;
    }
};

class Parker : public ::testing::Test {
protected:
    AXWindow add(std::uint32_t id, const Rect& frame) {
        desk.windows[id] = Desk::Win{frame, false, std::nullopt};
        return AXWindow({}, id, 1);
    }
    Desk desk;
    WindowParker parker{desk, desk};
};

TEST_F(Parker, ParksOnceAndRestoresTheFirstSavedFrame) {
    const auto w = add(1, {100, 100, 400, 300});
    const auto after = parker.park(w);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->origin(), (Point{999, 799}));
    EXPECT_EQ(after->size(), (Size{400, 300})); // the size is not written
    EXPECT_TRUE(parker.isInParkedPosition(w, *after));
    EXPECT_EQ(desk.windows[1].mark, (Rect{100, 100, 400, 300}));
    const int moves = desk.moves;
    EXPECT_FALSE(parker.park(w));
    EXPECT_EQ(desk.moves, moves);
    parker.restore(w);
    EXPECT_EQ(desk.windows[1].frame, (Rect{100, 100, 400, 300}));
    EXPECT_FALSE(desk.windows[1].mark);
    EXPECT_FALSE(parker.isParked(w));
}

TEST_F(Parker, UnreadableWindowOrNoScreenRecordsNothing) {
    EXPECT_FALSE(parker.park(AXWindow({}, 9, 1)));
    EXPECT_EQ(parker.count(), 0);
    parker.forget(AXWindow({}, 9, 1)); // not parked: nothing happens
    EXPECT_EQ(parker.count(), 0);
}

TEST_F(Parker, CornerThatDoesNotHoldSwitchesToMinimisingForGood) {
    desk.keepsOnScreen = true;
    const auto a = add(1, {100, 100, 400, 300});
    const auto b = add(2, {500, 100, 400, 300});
    const auto after = parker.park(a);
    ASSERT_TRUE(after);
    EXPECT_FALSE(ScreenGeometry::isParkedPosition(desk.screens(), *after));
    EXPECT_TRUE(parker.minimisesWindows());
    EXPECT_TRUE(desk.windows[1].iconic);
    EXPECT_TRUE(parker.isInParkedPosition(a, *after));
    // The window waits, minimised, at its own place.
    EXPECT_EQ(desk.windows[1].frame.origin(), (Point{100, 100}));
    // Later windows are minimised without being moved.
    const int moves = desk.moves;
    ASSERT_TRUE(parker.park(b));
    EXPECT_EQ(desk.moves, moves);
    EXPECT_TRUE(desk.windows[2].iconic);
    EXPECT_EQ(desk.isMinimized(b), std::optional<bool>(false)); // hidden by parking

    parker.forget(b);
    EXPECT_FALSE(desk.windows[2].iconic);
    EXPECT_FALSE(desk.windows[2].mark);
    parker.restoreAll();
    EXPECT_EQ(parker.count(), 0);
    EXPECT_FALSE(desk.windows[1].iconic);
    EXPECT_EQ(desk.windows[1].frame, (Rect{100, 100, 400, 300}));
    parker.restoreAll();
    EXPECT_EQ(parker.count(), 0);
}

TEST_F(Parker, MarksFromAnEarlierRunAreRestored) {
    const auto a = add(1, {999, 799, 400, 300});
    desk.windows[1].mark = Rect{10, 20, 400, 300};
    add(2, {5000, 5000, 200, 200});
    desk.windows[2].mark = Rect{300, 200, 200, 200};
    desk.windows[2].iconic = true;
    add(3, {0, 0, 100, 100});
    const auto restored = parker.restoreMarked();
    EXPECT_EQ(restored.size(), 2u);
    EXPECT_EQ(desk.windows[1].frame, (Rect{10, 20, 400, 300}));
    EXPECT_EQ(desk.windows[2].frame, (Rect{300, 200, 200, 200}));
    EXPECT_FALSE(desk.windows[2].iconic);
    EXPECT_FALSE(desk.windows[1].mark || desk.windows[2].mark);
    EXPECT_TRUE(parker.restoreMarked().empty());
    (void)a;
}

TEST_F(Parker, RestoreOfAVanishedWindowStillForgetsIt) {
    const auto w = add(1, {100, 100, 400, 300});
    ASSERT_TRUE(parker.park(w));
    desk.windows.erase(1);
    parker.restore(w);
    EXPECT_EQ(parker.count(), 0);
}

} // namespace
