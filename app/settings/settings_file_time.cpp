#include "app/settings/settings_file_time.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace morvanta {

namespace {

using namespace std::chrono;

// Reads exactly `count` decimal digits at `at`, moving past them.
std::optional<int> digits(std::string_view text, std::size_t& at, std::size_t count) {
    if (text.size() < at + count)
        return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[at + i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    at += count;
    return value;
}

bool expect(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c)
        return false;
    ++at;
    return true;
}

// The zone's offset from UTC in minutes: "Z", "+hh:mm" or "+hhmm" (or "-").
std::optional<int> zoneOffset(std::string_view text, std::size_t& at) {
    if (expect(text, at, 'Z'))
        return 0;
    if (at >= text.size() || (text[at] != '+' && text[at] != '-'))
        return std::nullopt;
    const int sign = text[at++] == '-' ? -1 : 1;
    const auto hours = digits(text, at, 2);
    expect(text, at, ':');
    const auto minutes = digits(text, at, 2);
    if (!hours || !minutes || *hours > 23 || *minutes > 59)
        return std::nullopt;
    return sign * (*hours * 60 + *minutes);
}

} // namespace

std::string formatIso8601(SettingsFileTime time) {
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    std::array<char, 40> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text.data();
}

std::optional<SettingsFileTime> parseIso8601(std::string_view text) {
    std::size_t at = 0;
    const auto y = digits(text, at, 4);
    if (!y || !expect(text, at, '-'))
        return std::nullopt;
    const auto mo = digits(text, at, 2);
    if (!mo || !expect(text, at, '-'))
        return std::nullopt;
    const auto d = digits(text, at, 2);
    if (!d || !expect(text, at, 'T'))
        return std::nullopt;
    const auto h = digits(text, at, 2);
    if (!h || !expect(text, at, ':'))
        return std::nullopt;
    const auto mi = digits(text, at, 2);
    if (!mi || !expect(text, at, ':'))
        return std::nullopt;
    const auto s = digits(text, at, 2);
    if (!s)
        return std::nullopt;
    if (expect(text, at, '.')) {
        const std::size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        if (at == start)
            return std::nullopt;
    }
    const auto offset = zoneOffset(text, at);
    if (!offset || at != text.size())
        return std::nullopt;
    const year_month_day date{year{*y}, month{static_cast<unsigned>(*mo)},
                              day{static_cast<unsigned>(*d)}};
    // A leap second reads as the last second of its minute.
    if (!date.ok() || *h > 23 || *mi > 59 || *s > 60)
        return std::nullopt;
    return sys_days{date} + hours{*h} + minutes{*mi} + seconds{*s == 60 ? 59 : *s} -
           minutes{*offset};
}

std::string abbreviatedDateTime(SettingsFileTime time) {
    static constexpr std::array<const char*, 12> months = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t seconds = system_clock::to_time_t(time);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
        return formatIso8601(time);
    const int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%s %d, %d at %d:%02d %s",
                  months[static_cast<std::size_t>(local.tm_mon)], local.tm_mday,
                  local.tm_year + 1900, hour12, local.tm_min, local.tm_hour < 12 ? "AM" : "PM");
    return text.data();
}

} // namespace morvanta
