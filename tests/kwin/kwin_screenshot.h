// KWinScreenshot: a picture of a headless KWin session's screen, for looking at what an end-to-end
// test left on it. It asks KWin's org.kde.KWin.ScreenShot2 interface for an area (the image comes
// back raw through a pipe) and saves it as a PNG. KWin lets only trusted programs take pictures;
// a test session trusts every caller when KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 was in the
// environment it was started with.
#pragma once

#include <string>

namespace morvanta::testing {

// Answers "" once the picture of the area is saved to `path`, else what failed.
std::string saveKWinScreenshot(const std::string& busAddress, int x, int y, int width, int height,
                               const std::string& path);

} // namespace morvanta::testing
