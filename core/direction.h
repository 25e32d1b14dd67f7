// Direction for focus and swap moves; up is towards smaller y (top-left origin).
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace morvanta {

enum class Direction { left, right, up, down };

inline constexpr std::array<Direction, 4> allDirections = {Direction::left, Direction::right,
                                                           Direction::up, Direction::down};

std::string_view rawValue(Direction direction);
std::optional<Direction> directionFromRaw(std::string_view raw);

} // namespace morvanta
