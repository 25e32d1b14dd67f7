// The focus border around an xterm under Openbox, for people to look at
// (docs/images/border-xterm.png comes from here).
#include "screenshots/screenshot_folder.h"
#include "tests/border/x11_border_fixture.h"

namespace morvanta::testing {
namespace {

class BorderScreenshots : public X11BorderTest {
protected:
    BorderScreenshots() : X11BorderTest(true) {}
};

TEST_F(BorderScreenshots, RingAroundAnXterm) {
    client->setRootColor(0x303030);
    const auto xterm = startXterm();
    ASSERT_TRUE(xterm);
    ASSERT_TRUE(border->show(*xterm));
    settle();
    const Rect frame = *xterm->frame();
    const int midY = static_cast<int>(frame.midY());
    EXPECT_TRUE(
        waitFor([&] { return client->pixel(static_cast<int>(frame.x) - 2, midY) == ringRgb; }));
    const std::string crop = std::to_string(static_cast<int>(frame.width) + 80) + "x" +
                             std::to_string(static_cast<int>(frame.height) + 80) + "+" +
                             std::to_string(static_cast<int>(frame.x) - 40) + "+" +
                             std::to_string(static_cast<int>(frame.y) - 40);
    EXPECT_EQ(server.run({"import", "-window", "root", "-crop", crop,
                          screenshotPath("border-xterm.png").string()}),
              0);
}

} // namespace
} // namespace morvanta::testing
