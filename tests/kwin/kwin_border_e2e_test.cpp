// The focus border and Morvanta's own windows on a real headless KWin: the bridge script finds
// the ring window, puts it around the window named and keeps it there when that window moves
// (with no help from Morvanta), never leaves it active, and centres and activates the command
// panel.
#include "tests/support/headless_kwin.h"

#include <gtest/gtest.h>

namespace morvanta::testing {
namespace {

bool startsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

KWinRect grown(const KWinRect& r, int by) {
    return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by};
}

TEST(KWinBorderE2ETest, TheRingSitsOnItsWindowFollowsItsMovesAndThePanelIsCentred) {
    if (!HeadlessKWin::available())
        GTEST_SKIP() << "kwin_wayland is not installed";
    HeadlessKWin session;
    ASSERT_TRUE(session.ok()) << session.error();
    auto client = session.startLineProcess(
        LineProcess::besideThisTest("morvanta-wayland-testclient"), {}, {});
    ASSERT_EQ(client->command("open target 400 300"), "window target");
    const auto target = session.waitForWindow([](auto& w) { return w.caption == "target"; });
    ASSERT_TRUE(target);
    ASSERT_TRUE(session.setFrame(target->id, {200, 150, 400, 300}));
    ASSERT_TRUE(session.activate(target->id));

    auto host = session.startLineProcess(
        LineProcess::besideThisTest("morvanta-kwin-border-host"),
        {MORVANTA_BRIDGE_SCRIPT, (session.runtimeDir() / "kwin-parked.json").string()}, {});
    ASSERT_EQ(host->command("ready", std::chrono::seconds(15)), "ready");
    ASSERT_EQ(host->command("border target"), "shown");
    const auto isRing = [](const KWinWindow& w) {
        return startsWith(w.caption, "Morvanta focus border");
    };
    auto ring = session.waitForWindow([&](auto& w) {
        return isRing(w) && w.frame == grown({200, 150, 400, 300}, 4);
    });
    ASSERT_TRUE(ring) << "the ring is not around its window";

    // Moved by someone else than Morvanta: the script alone keeps the ring on it.
    ASSERT_TRUE(session.setFrame(target->id, {700, 400, 400, 300}));
    ring = session.waitForWindow([&](auto& w) {
        return isRing(w) && w.frame == grown({700, 400, 400, 300}, 4);
    });
    EXPECT_TRUE(ring) << "the ring did not follow its window";
    const auto active = session.waitForWindow([](auto& w) { return w.active; });
    ASSERT_TRUE(active);
    EXPECT_EQ(active->caption, "target") << "the ring took the activation";

    ASSERT_EQ(host->command("panel"), "ok");
    const auto panel = session.waitForWindow([](auto& w) {
        return w.caption == "Morvanta command panel" && w.frame.x == (1600 - 620) / 2 &&
               w.frame.y == 180 && w.active;
    });
    EXPECT_TRUE(panel) << "the panel is not centred and active";
}

} // namespace
} // namespace morvanta::testing
