// How well a frame lies in a direction from another, for moving focus or windows to the
// nearest neighbour on screen.
#pragma once

#include "core/direction.h"
#include "core/geometry.h"

#include <optional>

namespace morvanta {

// None when `candidate` does not lie in `direction` from `current` (frames that touch or
// overlap by up to a point still count). Otherwise the distance between the centres, with the
// distance across the direction of travel counted double: lower is nearer.
std::optional<double> directionalScore(Direction direction, const Rect& candidate,
                                       const Rect& current);

} // namespace morvanta
