#include "ax/x11/x11_accessibility.h"

#include "ax/open_address.h"

#include <cstdlib>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta {

bool X11Accessibility::environmentIsWaylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (type && std::string_view(type) == "wayland") || (wayland && *wayland);
}

bool X11Accessibility::checkTrust(bool) {
    // There is no permission prompt on X11; `prompt` changes nothing.
    return !waylandSession_ && connection_ && !connection_->broken();
}

void X11Accessibility::openSettings() {
    openAddress(helpAddress);
}

} // namespace morvanta
