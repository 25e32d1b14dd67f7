#include "app/shell/widgets/layout_preview_geometry.h"

#include "core/layout_presets.h"

#include <algorithm>
#include <cmath>

namespace morvanta {

namespace {

double finiteOrZero(double value) {
    return std::isfinite(value) ? std::max(value, 0.0) : 0.0;
}

} // namespace

LayoutPreviewGeometry LayoutPreviewGeometry::compute(Size size, LayoutKind layout, int count,
                                                     const LayoutOptions& options,
                                                     double screenWidth) {
    const double width = finiteOrZero(size.width);
    const double height = finiteOrZero(size.height);

    LayoutPreviewGeometry geometry;
    // A zero or unknown screen width would divide by zero; such a preview is drawn 1:1.
    geometry.scale = (std::isfinite(screenWidth) && screenWidth > 0) ? width / screenWidth : 1.0;
    const double scale = geometry.scale;
    geometry.stripHeight = std::max(stripHeightAtFullSize * scale, minimumStripHeight);
    geometry.cornerRadius = std::max(cornerRadiusAtFullSize * scale, minimumCornerRadius);
    geometry.tilingArea = {0, geometry.stripHeight, width,
                           std::max(height - geometry.stripHeight, 0.0)};

    const LayoutOptions scaled{options.innerGap * scale, options.outerGap * scale,
                               options.mainRatio};
    auto frames = LayoutPresets::frames(count, layout, {}, {}, geometry.tilingArea, scaled);
    if (layout == LayoutKind::monocle && frames.size() > 1)
        frames.resize(1);
    for (auto& frame : frames) {
        frame.width = std::max(1.0, frame.width);
        frame.height = std::max(1.0, frame.height);
    }
    geometry.tiles = std::move(frames);
    return geometry;
}

} // namespace morvanta
