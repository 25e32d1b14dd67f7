// X11Accessibility: Morvanta may control windows when its X connection works and the session is
// an X11 one (in a native Wayland session an X client sees only other X clients' windows).
// openSettings opens Morvanta's help page on what the session needs.
#pragma once

#include "ax/accessibility.h"
#include "ax/x11/x11_connection.h"

#include <memory>
#include <string>

namespace morvanta {

class X11Accessibility : public Accessibility {
public:
    static constexpr const char* helpAddress = "https://morvanta.org/help/x11-session";

    X11Accessibility(std::shared_ptr<X11Connection> connection, bool waylandSession)
        : connection_(std::move(connection)), waylandSession_(waylandSession) {}

    bool checkTrust(bool prompt) override;
    void openSettings() override;

    // From XDG_SESSION_TYPE and WAYLAND_DISPLAY.
    static bool environmentIsWaylandSession();

private:
    std::shared_ptr<X11Connection> connection_;
    bool waylandSession_;
};

} // namespace morvanta
