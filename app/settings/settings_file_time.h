// The times a settings file carries: its export time as ISO 8601 text in UTC
// ("2025-03-01T09:30:00Z"), and the short English form the log shows it in.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace morvanta {

using SettingsFileTime = std::chrono::sys_seconds;

// "2025-03-01T09:30:00Z".
std::string formatIso8601(SettingsFileTime time);

// Date and time with seconds and a zone: "Z" or an offset "+01:00" / "+0100". Fractional
// seconds are accepted and dropped. None for anything else, including impossible dates.
std::optional<SettingsFileTime> parseIso8601(std::string_view text);

// "Mar 1, 2025 at 9:30 AM" in the local time zone.
std::string abbreviatedDateTime(SettingsFileTime time);

} // namespace morvanta
