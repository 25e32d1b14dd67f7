// SrgbColor: a colour in the sRGB space, components 0 … 1, with the "#RRGGBB" text form the
// focus-border setting is stored in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvanta {

struct SrgbColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    bool operator==(const SrgbColor&) const = default;

    // Strips every "#" at either end, then needs exactly six hexadecimal digits (either case).
    static std::optional<SrgbColor> fromHex(std::string_view text);
    // "#RRGGBB", upper case, each component × 255 rounded half away from zero. Components
    // outside 0 … 1 are clamped; a colour with a component that is not a number gives the
    // default border colour "#2A8FD8".
    std::string hex() const;
};

} // namespace morvanta
