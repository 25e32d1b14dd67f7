#include "app/shell/application/desktop_choice.h"

#include <cstdlib>

namespace morvanta {

DesktopChoice DesktopChoice::fromEnvironment(const Lookup& get) {
    const auto value = [&get](const std::string& name) -> std::string {
        if (get)
            return get(name).value_or("");
        const char* found = std::getenv(name.c_str());
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
