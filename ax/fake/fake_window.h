// The state of one window on the fake desktop, and the options a test opens a window with.
// Plain values: FakeDesktop owns them and every view of the desktop reads the same ones.
#pragma once

#include "ax/ax_window.h"
#include "core/geometry.h"

#include <cstdint>
#include <optional>
#include <string>

namespace morvanta {

// The window types a window manager distinguishes; only `normal` windows without a
// transient-for parent are standard.
enum class FakeWindowType { normal, dialog, utility, dock, menu, splash, toolbar };

// How a window answers a move or resize made through WindowAccess.
enum class MoveFault {
    none,
    refused, // the request fails and nothing changes
    ignored, // the request reports success but the window stays as it is
};

struct FakeWindowOptions {
    FakeWindowType type = FakeWindowType::normal;
    std::optional<AXWindow> transientFor{};
    // The class application rules match; the application's class when absent.
    std::optional<std::string> windowClass{};
    // The application will not be made smaller than this.
    Size minimumSize{};
    // Resize steps, as a terminal has; the window manager snaps sizes to base + n × step.
    std::optional<Size> sizeIncrement{};
    Size baseSize{};
    bool minimised = false;
    bool fullScreen = false;
    // Whether the new window takes the focus when it opens.
    bool activate = true;
};

struct FakeWindow {
    std::uint32_t id = 0;
    std::int32_t pid = 0;
    std::string title;
    Rect frame;
    FakeWindowOptions options;
    bool iconified = false;
    bool fullScreen = false;
    Rect frameBeforeFullScreen;
    std::optional<Rect> parkMark;

    // Faults a test injects.
    std::optional<int> callsBeforeVanish; // answered calls left before the window disappears
    bool frameReadable = true;
    bool typeReadable = true;
    bool minimisedReadable = true;
    MoveFault moveFault = MoveFault::none;
};

} // namespace morvanta
