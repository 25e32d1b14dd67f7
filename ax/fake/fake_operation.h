// One request Morvanta made of the fake desktop through WindowAccess, kept in the desktop's log
// so tests can check what was done to which window, in which order.
#pragma once

#include "core/geometry.h"

#include <cstdint>
#include <optional>

namespace morvanta {

struct FakeOperation {
    enum class Kind {
        setFrame,
        setPosition,
        raise,
        focus,
        focusNothing,
        iconify,
        deiconify,
        setParkMark,
        clearParkMark,
    };

    Kind kind = Kind::setFrame;
    std::uint32_t window = 0;
    // The requested frame (setFrame, setParkMark) or origin (setPosition, in x and y).
    std::optional<Rect> requested;
    // Whether the request reported success.
    bool succeeded = false;

    bool operator==(const FakeOperation&) const = default;
};

} // namespace morvanta
