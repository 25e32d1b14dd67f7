// WindowID: the tiling model's identity of one window, handed out by the window registry.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <string>

namespace morvanta {

struct WindowID {
    std::int64_t raw = 0;

    // "w" followed by the decimal value, as log lines show it.
    std::string description() const { return "w" + std::to_string(raw); }
    auto operator<=>(const WindowID&) const = default;
};

} // namespace morvanta

template <> struct std::hash<morvanta::WindowID> {
    std::size_t operator()(const morvanta::WindowID& id) const noexcept {
        return std::hash<std::int64_t>{}(id.raw);
    }
};
