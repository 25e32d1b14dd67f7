// KWinOwnWindowPlacer: places Morvanta's own windows in a KWin session, where Qt on Wayland
// cannot: a `place` command of the session's next batch, naming the window by this process and
// its caption. The script places the window when it appears, should the command come first.
#pragma once

#include "ax/own_window_placer.h"

namespace morvanta {

class KWinWindowSystem;

class KWinOwnWindowPlacer final : public OwnWindowPlacer {
public:
    // `system` must outlive the placer.
    explicit KWinOwnWindowPlacer(KWinWindowSystem& system) : system_(system) {}

    void centreOnPointerScreen(const std::string& caption, double topFraction) override;

private:
    KWinWindowSystem& system_;
};

} // namespace morvanta
