#include "ax/kwin/kwin_border_overlay.h"

#include "ax/kwin/kwin_window_system.h"

namespace morvanta {

KWinBorderOverlay::KWinBorderOverlay(KWinWindowSystem& system, BorderSurface& surface)
    : BorderOverlay(system.windowNumbers()), system_(system), surface_(surface) {}

void KWinBorderOverlay::placePanel(const Rect&) {
    if (shown_)
        sync();
}

void KWinBorderOverlay::drawRing(const Size& size) {
    surface_.setRing(size, width(), cornerRadius(), color());
}

void KWinBorderOverlay::orderAbove(std::uint32_t number) {
    const auto* internalId = system_.state().internalIdOf(number);
    showAround(internalId ? *internalId : std::string());
}

void KWinBorderOverlay::orderFront() {
    showAround({});
}

void KWinBorderOverlay::showAround(std::string internalId) {
    around_ = std::move(internalId);
    if (!shown_) {
        shown_ = true;
        surface_.showRing();
    }
    sync();
}

void KWinBorderOverlay::orderOut() {
    if (!shown_)
        return;
    shown_ = false;
    surface_.hideRing();
    sync();
}

void KWinBorderOverlay::sync() {
    KWinCommand command;
    command.op = KWinCommand::Op::border;
    command.pid = system_.ownPid();
    command.caption = borderSurfaceCaption;
    command.on = shown_;
    if (shown_) {
        command.frame = frame();
        command.id = around_;
    }
    command.amount = width();
    const bool known = told_ && toldHellos_ == system_.hellos();
    if (known && *told_ == command)
        return;
    const bool following = known && told_->on && shown_ && !around_.empty() &&
                           told_->id == around_ && system_.state().isUserMoving(around_);
    if (following)
        return; // the script keeps the ring on the window the user moves
    system_.queueCommand(command);
    told_ = std::move(command);
    toldHellos_ = system_.hellos();
}

} // namespace morvanta
