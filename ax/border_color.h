// BorderColor: the focus border's colour, an sRGB value with alpha, each channel 0…1. The
// default is the border's blue.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace morvanta {

struct BorderColor {
    double red = 0.165;
    double green = 0.561;
    double blue = 0.847;
    double alpha = 1.0;

    // A channel scaled to 0…`max`, out-of-range values clamped.
    static std::uint32_t scaled(double channel, std::uint32_t max) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(channel, 0.0, 1.0) * max));
    }

    bool operator==(const BorderColor&) const = default;
};

} // namespace morvanta
