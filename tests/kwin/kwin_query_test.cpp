// Reading a KWin script's report: only the query's own report is taken (an earlier query's may
// arrive late), KWin 6's fractional geometry reads as whole pixels, and a report that is not
// what the script sends fails with its text instead of passing as an empty desktop.
#include "tests/support/kwin_query.h"

#include <gtest/gtest.h>

namespace morvanta::testing {
namespace {

const std::string oneWindow = R"({"token": 7, "windows": [{"id": "{a}", "pid": 42,
    "caption": "Ünïcode — title", "resourceClass": "xterm", "frame": [10.5, 20, 640.25, 480],
    "minimized": false, "active": true, "normal": true}],
    "screens": [{"geometry": [0, 0, 800, 600], "area": [0, 0, 800, 560]}]})";

TEST(KWinQueryTest, TakesOnlyItsOwnReport) {
    const KWinQuery query(7);
    EXPECT_TRUE(query.isMine(oneWindow));
    EXPECT_FALSE(KWinQuery(6).isMine(oneWindow));
    EXPECT_FALSE(query.isMine(R"({"token": "7"})"));
    EXPECT_FALSE(query.isMine(R"({"windows": []})"));
    EXPECT_FALSE(query.isMine("not json"));
    EXPECT_FALSE(query.isMine("[7]"));
}

TEST(KWinQueryTest, ReadsWindowsAndScreens) {
    std::string error;
    const auto state = KWinQuery(7).read(oneWindow, error);
    ASSERT_TRUE(state) << error;
    ASSERT_EQ(state->windows.size(), 1u);
    const auto& window = state->windows[0];
    EXPECT_EQ(window.id, "{a}");
    EXPECT_EQ(window.pid, 42);
    EXPECT_EQ(window.caption, "Ünïcode — title");
    EXPECT_EQ(window.frame, (KWinRect{10, 20, 640, 480}));
    EXPECT_TRUE(window.active);
    ASSERT_EQ(state->screens.size(), 1u);
    EXPECT_EQ(state->screens[0].area, (KWinRect{0, 0, 800, 560}));
}

TEST(KWinQueryTest, AFailedScriptOrAMalformedReportIsAnError) {
    std::string error;
    EXPECT_FALSE(KWinQuery(1).read(R"({"token": 1, "error": "no window {x}"})", error));
    EXPECT_EQ(error, "no window {x}");
    for (const std::string report :
         {R"({"token": 1})", R"({"token": 1, "windows": [], "screens": [{"geometry": [0, 0]}]})",
          R"({"token": 1, "windows": [{"id": "{a}"}], "screens": []})", "{"}) {
        error.clear();
        EXPECT_FALSE(KWinQuery(1).read(report, error)) << report;
        EXPECT_NE(error.find("malformed"), std::string::npos) << report;
    }
}

TEST(KWinQueryTest, ValuesReachTheScriptAsJsonLiterals) {
    // An id is the test's text; quoting it as JSON keeps it a string whatever it holds.
    const auto script = KWinQuery::setFrame(3, "\"; callDBus(\"x\");\n//", {1, 2, 3, 4}).script();
    EXPECT_NE(script.find(R"("id":"\"; callDBus(\"x\");\n//")"), std::string::npos);
    EXPECT_NE(script.find(R"("frame":[1,2,3,4])"), std::string::npos);
    EXPECT_NE(script.find(R"("op":"frame")"), std::string::npos);
}

} // namespace
} // namespace morvanta::testing
