// FakeBorderOverlay: the focus border without a screen, recording what a real one would show:
// whether it is on screen, its frame, what it is stacked against, and each ring drawn with the
// appearance it was drawn in. The rules it shares with the real border (geometry, number cache,
// when to redraw) are the base class's own.
#pragma once

#include "ax/border_overlay.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace morvanta {

class FakeBorderOverlay : public BorderOverlay {
public:
    enum class Level { none, aboveTarget, floating };

    struct Drawing {
        Size size;
        double width = 0;
        double cornerRadius = 0;
        BorderColor color;
    };

    using BorderOverlay::BorderOverlay;

    bool visible() const { return visible_; }
    Level level() const { return level_; }
    // The window number it sits directly above (aboveTarget only).
    std::optional<std::uint32_t> aboveNumber() const { return aboveNumber_; }
    // Every ring drawn, oldest first.
    const std::vector<Drawing>& drawings() const { return drawings_; }
    // Times the panel was moved or resized.
    int placements() const { return placements_; }
    int orderings() const { return orderings_; }

protected:
    void placePanel(const Rect& frame) override;
    void drawRing(const Size& size) override;
    void orderAbove(std::uint32_t number) override;
    void orderFront() override;
    void orderOut() override;
    bool panelVisible() const override { return visible_; }

private:
    bool visible_ = false;
    Level level_ = Level::none;
    std::optional<std::uint32_t> aboveNumber_;
    std::vector<Drawing> drawings_;
    int placements_ = 0;
    int orderings_ = 0;
};

} // namespace morvanta
