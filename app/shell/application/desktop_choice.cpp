#include "app/shell/application/desktop_choice.h"

#include <cstdlib>

namespace morvanta {

DesktopChoice DesktopChoice::fromEnvironment() {
    // Unset and empty alike.
    const auto value = [](const char* name) -> std::string {
        const char* found = std::getenv(name);
        return found ? found : "";
    };
    DesktopChoice choice;
    if (const std::string named = value(variable); !named.empty()) {
        choice.named = true;
        if (named == "x11")
            choice.backend = Backend::x11;
        else if (named == "kwin")
            choice.backend = Backend::kwin;
        else
            choice.error = std::string("morvanta: ") + variable + "=\"" + named +
                           "\" names no backend Morvanta has; use \"x11\" or \"kwin\", or leave "
                           "it unset to choose by the session.";
        return choice;
    }
    const bool wayland =
        !value("WAYLAND_DISPLAY").empty() || value("XDG_SESSION_TYPE") == "wayland";
    choice.backend = wayland ? Backend::kwin : Backend::x11;
    return choice;
}

} // namespace morvanta
