// DiagnosticsStatus: the tiling state the diagnostics window shows in its status row, and the
// row's texts. The application fills it from the tiling controller whenever that publishes.
// On X11, "trusted" means Morvanta can reach an X11 session (a native Wayland session cannot
// be tiled), so the texts speak of the session where other desktops speak of a permission.
#pragma once

#include <string>

namespace morvanta {

struct DiagnosticsStatus {
    static constexpr const char* untrustedText = "X11 session needed";
    static constexpr const char* requestPermissionButton = "How to Fix…";
    static constexpr const char* tilingText = "Tiling";
    static constexpr const char* pausedText = "Tiling paused";

    bool isTrusted = false;
    bool isPaused = false;
    // The current workspace's label ("3", "A"); empty when there is none yet.
    std::string currentLabel;

    // "X11 session needed" without trust; otherwise "Tiling" or "Tiling paused" followed by
    // the current workspace's label in square brackets, e.g. "Tiling [3]".
    std::string text() const;
    bool operator==(const DiagnosticsStatus&) const = default;
};

} // namespace morvanta
