#include "ax/fake/fake_border_overlay.h"

namespace morvanta {

void FakeBorderOverlay::placePanel(const Rect&) {
    ++placements_;
}

void FakeBorderOverlay::drawRing(const Size& size) {
    drawings_.push_back({size, width(), cornerRadius(), color()});
}

void FakeBorderOverlay::orderAbove(std::uint32_t number) {
    visible_ = true;
    level_ = Level::aboveTarget;
    aboveNumber_ = number;
    ++orderings_;
}

void FakeBorderOverlay::orderFront() {
    visible_ = true;
    level_ = Level::floating;
    aboveNumber_.reset();
    ++orderings_;
}

void FakeBorderOverlay::orderOut() {
    visible_ = false;
    level_ = Level::none;
    aboveNumber_.reset();
}

} // namespace morvanta
