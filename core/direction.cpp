#include "core/direction.h"

namespace morvanta {

namespace {
constexpr std::array<std::string_view, 4> directionRaw = {"left", "right", "up", "down"};
} // namespace

std::string_view rawValue(Direction direction) {
    return directionRaw[static_cast<std::size_t>(direction)];
}

std::optional<Direction> directionFromRaw(std::string_view raw) {
    for (Direction direction : allDirections)
        if (rawValue(direction) == raw)
            return direction;
    return std::nullopt;
}

} // namespace morvanta
