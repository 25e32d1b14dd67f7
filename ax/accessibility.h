// Accessibility: whether Morvanta may control other applications' windows, and where to send
// the user when it may not. On X11 that means an X display can be opened and the session is not
// a native Wayland one; the settings page is Morvanta's help on what the session needs.
#pragma once

namespace morvanta {

class Accessibility {
public:
    virtual ~Accessibility() = default;

    // `prompt` asks the platform to show its own permission request where it has one; the
    // call answers at once either way.
    virtual bool checkTrust(bool prompt) = 0;
    virtual void openSettings() = 0;
};

} // namespace morvanta
