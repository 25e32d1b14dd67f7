#include "app/controller/focus_cache.h"

#include "app/controller/screen_snapshot.h"
#include "app/controller/window_registry.h"
#include "ax/window_list.h"
#include "ax/window_parker.h"
#include "core/workspace_manager.h"

namespace morvanta {

std::optional<AXWindow> FocusCache::focused() {
    if (!snapshot_.isHeld())
        return readNow();
    if (!holdRead_ || holdRead_->holdNumber != snapshot_.holdNumber())
        holdRead_ = HoldRead{readNow(), snapshot_.holdNumber()};
    return holdRead_->focused;
}

std::optional<AXWindow> FocusCache::readNow() {
    auto focused = windows_.focused();
    if (focused) {
        if (focused != askedFor_)
            askedFor_.reset();
        return focused;
    }
    if (askedFor_ && !parker_.isParked(*askedFor_) && manager_.focused() &&
        registry_.idFor(*askedFor_) == manager_.focused())
        return askedFor_;
    return std::nullopt;
}

void FocusCache::forgetRead() {
    holdRead_.reset();
}

void FocusCache::forgetWindow(const AXWindow& window) {
    if (lastSeen_ == window)
        lastSeen_.reset();
}

} // namespace morvanta
