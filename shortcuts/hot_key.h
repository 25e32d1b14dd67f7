// One combination registered with the HotKeyCenter, with the callbacks its presses run.
// Owned by whoever registered it (shared); the center only holds it weakly.
#pragma once

#include <cstdint>
#include <functional>

namespace morvanta {

struct HotKey {
    int carbonKeyCode = 0;
    int carbonModifiers = 0;
    std::function<void()> onKeyDown;
    std::function<void()> onKeyUp;
    // Called when the window system refuses the combination while the center brings its
    // registrations back (the first refusal is answered by HotKeyCenter::registerHotKey itself).
    std::function<void()> onRegistrationFailed;
    // The hot key's number within its center; assigned on first registration.
    std::uint32_t id = 0;
    // The window system currently delivers this combination to us.
    bool isRegistered = false;
    // Between a delivered key-down and its key-up: repeats of a held key are not new presses.
    bool isDown = false;
};

} // namespace morvanta
