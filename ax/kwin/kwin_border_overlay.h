// KWinBorderOverlay: the focus border in a KWin session. A program cannot place its own windows
// on Wayland, so the ring is drawn by a BorderSurface (a toolkit window of the shell's) and the
// script places it: every placement is a `border` command of the session's next batch, naming
// the window the ring surrounds. The script keeps the ring on that window whenever the window's
// frame changes (the user dragging it included), in the same compositor frame, so Morvanta
// sends nothing while the user moves or resizes it: its own view of the frame lags by a round
// trip. A command equal to the last one is not sent again, unless a new script instance has
// said hello since.
//
// Stacking: the script keeps the ring above every ordinary window (KWin's keep-above); a KWin
// script cannot stack a window directly above another, so both levels are the same here.
#pragma once

#include "ax/border_overlay.h"
#include "ax/border_surface.h"
#include "ax/kwin/kwin_messages.h"

#include <cstdint>
#include <optional>
#include <string>

namespace morvanta {

class KWinWindowSystem;

class KWinBorderOverlay final : public BorderOverlay {
public:
    // Both must outlive the overlay.
    KWinBorderOverlay(KWinWindowSystem& system, BorderSurface& surface);

protected:
    void placePanel(const Rect& frame) override;
    void drawRing(const Size& size) override;
    void orderAbove(std::uint32_t number) override;
    void orderFront() override;
    void orderOut() override;
    bool panelVisible() const override { return shown_; }

private:
    void showAround(std::string internalId);
    // Tells the script where the ring is now, when that is news to it.
    void sync();

    KWinWindowSystem& system_;
    BorderSurface& surface_;
    bool shown_ = false;
    std::string around_; // the surrounded window's internalId; empty while floating
    std::optional<KWinCommand> told_;
    std::uint64_t toldHellos_ = 0;
};

} // namespace morvanta
