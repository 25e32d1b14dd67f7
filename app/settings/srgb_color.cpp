#include "app/settings/srgb_color.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace morvanta {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int channel(double component) {
    return static_cast<int>(std::round(std::clamp(component, 0.0, 1.0) * 255.0));
}

} // namespace

std::optional<SrgbColor> SrgbColor::fromHex(std::string_view text) {
    while (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == '#')
        text.remove_suffix(1);
    if (text.size() != 6)
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | static_cast<unsigned>(digit);
    }
    return SrgbColor{((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0,
                     (value & 0xFF) / 255.0, 1.0};
}

std::string SrgbColor::hex() const {
    if (std::isnan(red) || std::isnan(green) || std::isnan(blue))
        return "#2A8FD8";
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", channel(red), channel(green), channel(blue));
    return text;
}

} // namespace morvanta
