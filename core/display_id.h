// DisplayID: an opaque, exactly compared identity of one physical screen.
// How the string is made is the window-system layer's business.
#pragma once

#include <compare>
#include <functional>
#include <string>

namespace morvanta {

struct DisplayID {
    std::string raw;

    const std::string& description() const { return raw; }
    auto operator<=>(const DisplayID&) const = default;
};

} // namespace morvanta

template <> struct std::hash<morvanta::DisplayID> {
    std::size_t operator()(const morvanta::DisplayID& id) const noexcept {
        return std::hash<std::string>{}(id.raw);
    }
};
