#include "core/directional_score.h"

#include <cmath>

namespace morvanta {

namespace {
constexpr double touchAllowance = 1.0;
} // namespace

std::optional<double> directionalScore(Direction direction, const Rect& candidate,
                                       const Rect& current) {
    const double dx = std::abs(candidate.midX() - current.midX());
    const double dy = std::abs(candidate.midY() - current.midY());
    switch (direction) {
    case Direction::left:
        if (candidate.maxX() <= current.minX() + touchAllowance)
            return dx + 2 * dy;
        break;
    case Direction::right:
        if (candidate.minX() >= current.maxX() - touchAllowance)
            return dx + 2 * dy;
        break;
    case Direction::up:
        if (candidate.maxY() <= current.minY() + touchAllowance)
            return dy + 2 * dx;
        break;
    case Direction::down:
        if (candidate.minY() >= current.maxY() - touchAllowance)
            return dy + 2 * dx;
        break;
    }
    return std::nullopt;
}

} // namespace morvanta
