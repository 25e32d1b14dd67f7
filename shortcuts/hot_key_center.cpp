#include "shortcuts/hot_key_center.h"

#include "shortcuts/modifiers.h"

#include <vector>

namespace morvanta {

HotKeyCenter::HotKeyCenter(HotKeyBackend& backend) : backend_(backend) {
    backend_.setEventSink(
        [this](std::uint32_t id, bool pressed) { handleHotKeyEvent(id, pressed); });
}

HotKeyCenter::~HotKeyCenter() {
    backend_.setEventSink(nullptr);
    for (auto id : grabbed_) {
        backend_.ungrab(id);
    }
}

bool HotKeyCenter::registerHotKey(const std::shared_ptr<HotKey>& hotKey) {
    if (!hotKey) {
        return false;
    }
    dropExpired();
    if (hotKey->id == 0) {
        hotKey->id = ++lastHotKeyId_;
    }
    if (mode_ == Mode::normal && !hotKey->isRegistered) {
        if (!backend_.grab(hotKey->id, {hotKey->carbonKeyCode, hotKey->carbonModifiers})) {
            return false;
        }
        hotKey->isRegistered = true;
        grabbed_.insert(hotKey->id);
    }
    hotKeys_[hotKey->id] = hotKey;
    return true;
}

void HotKeyCenter::unregisterHotKey(HotKey& hotKey) {
    if (hotKey.isRegistered || grabbed_.count(hotKey.id) != 0) {
        backend_.ungrab(hotKey.id);
        grabbed_.erase(hotKey.id);
    }
    hotKey.isRegistered = false;
    hotKey.isDown = false;
    hotKeys_.erase(hotKey.id);
    dropExpired();
}

void HotKeyCenter::setEnabled(bool enabled) {
    isEnabled_ = enabled;
    updateMode();
}

void HotKeyCenter::setMenuOpen(bool open) {
    isMenuOpen_ = open;
    updateMode();
}

HotKeyCenter::Mode HotKeyCenter::computedMode() const {
    if (!isEnabled_) {
        return Mode::disabled;
    }
    return isMenuOpen_ ? Mode::menuOpen : Mode::normal;
}

void HotKeyCenter::updateMode() {
    Mode mode = computedMode();
    if (mode == mode_) {
        return;
    }
    mode_ = mode;
    applyMode();
}

// Registers every live hot key in `normal` mode and withdraws them all otherwise. A press in
// progress does not survive a mode change: its release may go to someone else.
void HotKeyCenter::applyMode() {
    dropExpired();
    std::vector<std::shared_ptr<HotKey>> refused;
    for (auto& [id, weak] : hotKeys_) {
        auto hotKey = weak.lock();
        hotKey->isDown = false;
        if (mode_ == Mode::normal && !hotKey->isRegistered) {
            if (backend_.grab(id, {hotKey->carbonKeyCode, hotKey->carbonModifiers})) {
                hotKey->isRegistered = true;
                grabbed_.insert(id);
            } else {
                refused.push_back(hotKey);
            }
        } else if (mode_ != Mode::normal && hotKey->isRegistered) {
            backend_.ungrab(id);
            grabbed_.erase(id);
            hotKey->isRegistered = false;
        }
    }
    // Callbacks run last: they may register or unregister hot keys themselves.
    for (auto& hotKey : refused) {
        if (hotKey->onRegistrationFailed) {
            hotKey->onRegistrationFailed();
        }
    }
}

// A hot key released by its owner without unregistering disappears, and so does its grab.
void HotKeyCenter::dropExpired() {
    for (auto it = hotKeys_.begin(); it != hotKeys_.end();) {
        if (it->second.expired()) {
            if (grabbed_.erase(it->first) != 0) {
                backend_.ungrab(it->first);
            }
            it = hotKeys_.erase(it);
        } else {
            ++it;
        }
    }
}

bool HotKeyCenter::handleHotKeyEvent(std::uint32_t id, bool pressed) {
    auto found = hotKeys_.find(id);
    if (found == hotKeys_.end()) {
        return false;
    }
    auto hotKey = found->second.lock();
    if (!hotKey || !hotKey->isRegistered) {
        return false;
    }
    deliver(*hotKey, pressed);
    return true;
}

bool HotKeyCenter::handleRawKeyEvent(int carbonKeyCode, int carbonModifiers, bool keyDown) {
    if (mode_ != Mode::menuOpen) {
        return false;
    }
    int wanted = normalizedModifiers(carbonKeyCode, carbonModifiers);
    std::shared_ptr<HotKey> match;
    for (auto& [id, weak] : hotKeys_) {
        auto hotKey = weak.lock();
        if (hotKey && hotKey->carbonKeyCode == carbonKeyCode &&
            normalizedModifiers(hotKey->carbonKeyCode, hotKey->carbonModifiers) == wanted) {
            match = hotKey;
            break;
        }
    }
    if (!match) {
        return false;
    }
    deliver(*match, keyDown);
    return true;
}

// One key-down per press: a held key's repeats are swallowed until its key-up.
void HotKeyCenter::deliver(HotKey& hotKey, bool pressed) {
    if (pressed) {
        if (hotKey.isDown) {
            return;
        }
        hotKey.isDown = true;
        if (hotKey.onKeyDown) {
            hotKey.onKeyDown();
        }
    } else {
        hotKey.isDown = false;
        if (hotKey.onKeyUp) {
            hotKey.onKeyUp();
        }
    }
}

} // namespace morvanta
