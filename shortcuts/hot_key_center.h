// Keeps the window system's global key registrations in line with the live HotKeys and the
// center's mode: `normal` registers every hot key, `menuOpen` withdraws them and matches the
// raw key events the shell forwards from one of our own open menus instead, and `disabled`
// registers and matches nothing (so other applications receive the keys, and the shortcut
// recorder can read any combination).
#pragma once

#include "shortcuts/hot_key.h"
#include "shortcuts/hot_key_backend.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>

namespace morvanta {

class HotKeyCenter {
public:
    enum class Mode { disabled, normal, menuOpen };

    explicit HotKeyCenter(HotKeyBackend& backend);
    ~HotKeyCenter();
    HotKeyCenter(const HotKeyCenter&) = delete;
    HotKeyCenter& operator=(const HotKeyCenter&) = delete;

    // Adds the hot key. In `normal` mode it is registered at once and false means the window
    // system refused it (it is then not kept). In the other modes it is kept and registered
    // when the center returns to `normal`.
    bool registerHotKey(const std::shared_ptr<HotKey>& hotKey);
    void unregisterHotKey(HotKey& hotKey);

    // Master switch; false suspends every registration (mode `disabled`).
    void setEnabled(bool enabled);
    bool isEnabled() const { return isEnabled_; }
    // The shell reports when one of our menus opens and closes.
    void setMenuOpen(bool open);
    bool isMenuOpen() const { return isMenuOpen_; }
    Mode mode() const { return mode_; }

    // A press or release of a registered combination, as the backend reports it. Answers
    // whether the id belongs to a live hot key.
    bool handleHotKeyEvent(std::uint32_t id, bool pressed);
    // A key event seen while one of our menus is open (only then does it match anything).
    // Answers whether it matched a hot key; unmatched events belong to the menu.
    bool handleRawKeyEvent(int carbonKeyCode, int carbonModifiers, bool keyDown);

private:
    Mode computedMode() const;
    void updateMode();
    void applyMode();
    void dropExpired();
    void deliver(HotKey& hotKey, bool pressed);

    HotKeyBackend& backend_;
    std::uint32_t lastHotKeyId_ = 0;
    std::map<std::uint32_t, std::weak_ptr<HotKey>> hotKeys_;
    // Ids whose hot key is registered; kept apart so an expired hot key's grab can be released.
    std::set<std::uint32_t> grabbed_;
    bool isEnabled_ = true;
    bool isMenuOpen_ = false;
    Mode mode_ = Mode::normal;
};

} // namespace morvanta
