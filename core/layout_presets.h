// The layout engine: turns a layout kind, a window count and a screen area into one frame per
// window. Pure and total: bad numbers are clamped or replaced by neutral values, never rejected.
// Used by the planning step for every shown workspace and by the settings' layout previews.
#pragma once

#include "core/geometry.h"
#include "core/layout_kind.h"
#include "core/layout_options.h"

#include <vector>

namespace morvanta::LayoutPresets {

inline constexpr double lowestMainRatio = 0.2;
inline constexpr double highestMainRatio = 0.8;
inline constexpr double neutralWeight = 1.0;

// Frames for `count` windows in window order. Minimum sizes and weights may be shorter than
// count: a missing minimum is (0, 0), a missing or non-positive weight is 1.0. Fractions are
// kept. Fewer than one window gives no frames.
std::vector<Rect> frames(int count, LayoutKind kind, const std::vector<Size>& minimumSizes,
                         const std::vector<double>& weights, const Rect& area,
                         const LayoutOptions& options);

// Splits `total` between the items in proportion to their weights, giving an item whose share
// would fall below its minimum exactly that minimum and sharing the rest among the others.
// Nothing is scaled down: when the minimums exceed the total, the lengths sum to more.
std::vector<double> distributeLengths(double total, const std::vector<double>& minimums,
                                      const std::vector<double>& weights);

} // namespace morvanta::LayoutPresets
