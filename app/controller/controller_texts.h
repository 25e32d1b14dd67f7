// The controller's log texts that name the session's permission to control other windows.
// Elsewhere that permission is a system setting the user grants; on an X11 session it means
// an X display Morvanta can open, so these say so. docs/platform-texts.md lists each one.
#pragma once

#include <string_view>

namespace morvanta::ControllerTexts {

inline constexpr std::string_view waitingForPermission = "Waiting for access to an X11 display.";
inline constexpr std::string_view permissionGranted = "Access to the X11 display granted.";
inline constexpr std::string_view noWindowsAfterPermission =
    "⚠️ No windows visible yet. Some sessions need Morvanta relaunched after the display "
    "becomes available.";

} // namespace morvanta::ControllerTexts
