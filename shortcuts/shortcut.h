// A key combination as the hot-key service stores it: a virtual key code (ANSI key positions)
// and an event-manager modifier mask. Both numbers keep their portable meaning so that stored
// bindings and exported settings read the same on every platform.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace morvanta {

struct Shortcut {
    int carbonKeyCode = 0;
    int carbonModifiers = 0;

    friend bool operator==(const Shortcut&, const Shortcut&) = default;

    // The stored text: {"carbonKeyCode":18,"carbonModifiers":2048}.
    std::string toJson() const;
    // Reads the stored text; anything that is not such an object gives no shortcut.
    static std::optional<Shortcut> fromJson(const std::string& text);
};

struct ShortcutHash {
    std::size_t operator()(const Shortcut& shortcut) const noexcept {
        return std::hash<long long>()((static_cast<long long>(shortcut.carbonKeyCode) << 32) ^
                                      static_cast<unsigned>(shortcut.carbonModifiers));
    }
};

} // namespace morvanta
