// LayoutPreviewGeometry: where a layout preview puts its menu-bar strip and its window tiles.
// Plain computation over the real layout engine, so a preview shows what tiling will do,
// scaled down to the size the preview is given; the widget only paints these rectangles.
#pragma once

#include "core/geometry.h"
#include "core/layout_kind.h"
#include "core/layout_options.h"

#include <vector>

namespace morvanta {

struct LayoutPreviewGeometry {
    // The smallest strip and corner radius a preview keeps however small it is drawn.
    static constexpr double minimumStripHeight = 4;
    static constexpr double minimumCornerRadius = 2;
    // The real screen's menu-bar strip and window corners, before scaling.
    static constexpr double stripHeightAtFullSize = 24;
    static constexpr double cornerRadiusAtFullSize = 8;

    double scale = 1;        // preview points per real screen point
    double stripHeight = 0;  // the menu-bar strip across the top
    double cornerRadius = 0; // of every tile
    Rect tilingArea;         // below the strip
    // One rectangle per tile to draw, in window order, each at least 1 × 1. Monocle draws only
    // its first window, since the others lie hidden beneath it.
    std::vector<Rect> tiles;

    // `size` is the preview's own size; `screenWidth` is the width of the real screen it
    // stands for (a width that is not positive draws the layout unscaled). Gaps are scaled;
    // the main ratio is kept.
    static LayoutPreviewGeometry compute(Size size, LayoutKind layout, int count,
                                         const LayoutOptions& options, double screenWidth);
};

} // namespace morvanta
