#include "ax/x11/strut_geometry.h"

#include <algorithm>

namespace morvanta {

Strut Strut::fromPartial(const std::vector<double>& v) {
    Strut s;
    if (v.size() < 12)
        return s;
    s.left = v[0], s.right = v[1], s.top = v[2], s.bottom = v[3];
    s.leftStartY = v[4], s.leftEndY = v[5], s.rightStartY = v[6], s.rightEndY = v[7];
    s.topStartX = v[8], s.topEndX = v[9], s.bottomStartX = v[10], s.bottomEndX = v[11];
    return s;
}

Strut Strut::fromFull(const std::vector<double>& v, const Size& root) {
    Strut s;
    if (v.size() < 4)
        return s;
    s.left = v[0], s.right = v[1], s.top = v[2], s.bottom = v[3];
    s.leftEndY = s.rightEndY = root.height - 1;
    s.topEndX = s.bottomEndX = root.width - 1;
    return s;
}

namespace {

// Ranges in struts are inclusive pixel ranges.
bool overlaps(double start, double end, double min, double max) {
    return start < max && end + 1 > min;
}

} // namespace

Strut workAreaStrut(const Rect& w, const Size& root, const std::vector<Strut>& known) {
    Strut s;
    if (w.width <= root.width / 2 || w.height <= root.height / 2 || w.minX() < 0 || w.minY() < 0 ||
        w.maxX() > root.width || w.maxY() > root.height)
        return s;
    const auto any = [&](double Strut::*edge) {
        return std::ranges::any_of(known, [&](const Strut& k) { return k.*edge > 0; });
    };
    s.left = any(&Strut::left) ? 0 : w.minX();
    s.right = any(&Strut::right) ? 0 : root.width - w.maxX();
    s.top = any(&Strut::top) ? 0 : w.minY();
    s.bottom = any(&Strut::bottom) ? 0 : root.height - w.maxY();
    s.leftEndY = s.rightEndY = root.height - 1;
    s.topEndX = s.bottomEndX = root.width - 1;
    return s;
}

Rect visibleFrame(const Rect& monitor, const Size& root, const std::vector<Strut>& struts) {
    double minX = monitor.minX(), maxX = monitor.maxX();
    double minY = monitor.minY(), maxY = monitor.maxY();
    for (const auto& s : struts) {
        if (s.left > 0 && s.left > monitor.minX() &&
            overlaps(s.leftStartY, s.leftEndY, monitor.minY(), monitor.maxY()))
            minX = std::max(minX, s.left);
        if (s.right > 0 && root.width - s.right < monitor.maxX() &&
            overlaps(s.rightStartY, s.rightEndY, monitor.minY(), monitor.maxY()))
            maxX = std::min(maxX, root.width - s.right);
        if (s.top > 0 && s.top > monitor.minY() &&
            overlaps(s.topStartX, s.topEndX, monitor.minX(), monitor.maxX()))
            minY = std::max(minY, s.top);
        if (s.bottom > 0 && root.height - s.bottom < monitor.maxY() &&
            overlaps(s.bottomStartX, s.bottomEndX, monitor.minX(), monitor.maxX()))
            maxY = std::min(maxY, root.height - s.bottom);
    }
    if (maxX <= minX || maxY <= minY)
        return monitor;
    return {minX, minY, maxX - minX, maxY - minY};
}

} // namespace morvanta
