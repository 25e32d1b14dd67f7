#include "ax/border_ring.h"

#include <algorithm>
#include <cmath>

namespace morvanta {

BorderRing::Span BorderRing::roundedSpan(int w, int h, double radius, int row) {
    const double r = std::clamp(radius, 0.0, std::min(w, h) / 2.0);
    const double centre = row + 0.5;
    double dy = 0;
    if (centre < r)
        dy = r - centre;
    else if (centre > h - r)
        dy = centre - (h - r);
    int inset = 0;
    if (dy > 0)
        inset = static_cast<int>(std::lround(r - std::sqrt(std::max(0.0, r * r - dy * dy))));
    return {inset, std::max(inset, w - inset)};
}

std::vector<RingRect> BorderRing::rectangles(int panelWidth, int panelHeight, double width,
                                             double cornerRadius) {
    std::vector<RingRect> result;
    const int band = static_cast<int>(std::lround(width));
    if (panelWidth <= 0 || panelHeight <= 0 || band <= 0)
        return result;
    const double outerRadius = std::max(0.0, cornerRadius) + width;
    const int innerW = panelWidth - 2 * band;
    const int innerH = panelHeight - 2 * band;

    // Per row: up to two spans. Consecutive rows with identical spans become one rectangle.
    struct Row {
        Span first, second;
        bool two = false;
        bool operator==(const Row&) const = default;
    };
    auto rowAt = [&](int y) {
        const Span outer = roundedSpan(panelWidth, panelHeight, outerRadius, y);
        const int innerRow = y - band;
        if (innerW <= 0 || innerH <= 0 || innerRow < 0 || innerRow >= innerH)
            return Row{outer, {}, false};
        Span inner = roundedSpan(innerW, innerH, cornerRadius, innerRow);
        inner.left += band;
        inner.right += band;
        if (inner.left >= inner.right)
            return Row{outer, {}, false};
        return Row{{outer.left, std::max(outer.left, inner.left)},
                   {std::min(outer.right, inner.right), outer.right},
                   true};
    };
    auto emit = [&](const Row& row, int top, int rows) {
        auto add = [&](const Span& s) {
            if (s.right > s.left)
                result.push_back({s.left, top, s.right - s.left, rows});
        };
        add(row.first);
        if (row.two)
            add(row.second);
    };

    Row current = rowAt(0);
    int top = 0;
    for (int y = 1; y < panelHeight; ++y) {
        const Row next = rowAt(y);
        if (next == current)
            continue;
        emit(current, top, y - top);
        current = next;
        top = y;
    }
    emit(current, top, panelHeight - top);
    return result;
}

} // namespace morvanta
