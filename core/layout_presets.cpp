#include "core/layout_presets.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace morvanta::LayoutPresets {

namespace {

// A weight that is missing, not positive or not finite counts as neutral, so one bad entry
// cannot make the whole split infinite or undefined.
double weightAt(const std::vector<double>& weights, std::size_t i) {
    if (i < weights.size() && std::isfinite(weights[i]) && weights[i] > 0)
        return weights[i];
    return neutralWeight;
}

// The area minus the outer margin, or the area itself when the margin would leave nothing.
Rect tilingArea(const Rect& area, double outerGap) {
    const Rect inset{area.x + outerGap, area.y + outerGap, area.width - 2 * outerGap,
                     area.height - 2 * outerGap};
    if (inset.width > 0 && inset.height > 0)
        return inset;
    return area;
}

double innerGapOf(const LayoutOptions& options) {
    return options.innerGap >= 0 ? options.innerGap : 0.0; // NaN fails the test too
}

// Limited to lowest … highest; an undefined ratio falls back to the default share.
double mainRatioOf(const LayoutOptions& options) {
    const double ratio =
        std::isnan(options.mainRatio) ? LayoutOptions{}.mainRatio : options.mainRatio;
    if (ratio <= lowestMainRatio)
        return lowestMainRatio;
    return std::min(ratio, highestMainRatio);
}

struct Prepared {
    Rect area;
    double gap = 0;
    std::vector<Size> mins;
    std::vector<double> weights;
};

std::vector<double> widthsOf(const std::vector<Size>& mins, std::size_t from, std::size_t to) {
    std::vector<double> out;
    out.reserve(to - from);
    for (std::size_t i = from; i < to; ++i)
        out.push_back(mins[i].width);
    return out;
}

std::vector<double> heightsOf(const std::vector<Size>& mins, std::size_t from, std::size_t to) {
    std::vector<double> out;
    out.reserve(to - from);
    for (std::size_t i = from; i < to; ++i)
        out.push_back(mins[i].height);
    return out;
}

std::vector<Rect> columnFrames(const Prepared& p) {
    const std::size_t n = p.mins.size();
    const std::vector<double> widths = distributeLengths(
        p.area.width - static_cast<double>(n - 1) * p.gap, widthsOf(p.mins, 0, n), p.weights);
    std::vector<Rect> out;
    out.reserve(n);
    double x = p.area.minX();
    for (double width : widths) {
        out.push_back({x, p.area.minY(), width, p.area.height});
        x = x + width + p.gap;
    }
    return out;
}

std::vector<Rect> rowFrames(const Prepared& p) {
    const std::size_t n = p.mins.size();
    const std::vector<double> heights = distributeLengths(
        p.area.height - static_cast<double>(n - 1) * p.gap, heightsOf(p.mins, 0, n), p.weights);
    std::vector<Rect> out;
    out.reserve(n);
    double y = p.area.minY();
    for (double height : heights) {
        out.push_back({p.area.minX(), y, p.area.width, height});
        y = y + height + p.gap;
    }
    return out;
}

// Window 0 takes the main share on the left; the others stack on the right, split by weight.
std::vector<Rect> mainStackFrames(const Prepared& p, double mainRatio) {
    const std::size_t n = p.mins.size();
    const Rect& r = p.area;
    if (n == 1)
        return {r};
    double stackMin = 0;
    for (std::size_t i = 1; i < n; ++i)
        stackMin = i == 1 ? p.mins[i].width : std::max(stackMin, p.mins[i].width);
    double mainWidth = std::min(r.width - p.gap - stackMin, (r.width - p.gap) * mainRatio);
    if (mainWidth <= p.mins[0].width)
        mainWidth = p.mins[0].width; // the main window's own minimum beats the stack's
    const Rect main{r.minX(), r.minY(), mainWidth, r.height};
    const Rect stack{main.maxX() + p.gap, r.minY(), (r.width - p.gap) - mainWidth, r.height};
    const std::vector<double> stackWeights(p.weights.begin() + 1, p.weights.end());
    const std::vector<double> heights = distributeLengths(
        r.height - static_cast<double>(n - 2) * p.gap, heightsOf(p.mins, 1, n), stackWeights);
    std::vector<Rect> out;
    out.reserve(n);
    out.push_back(main);
    double y = stack.minY();
    for (double height : heights) {
        out.push_back({stack.minX(), y, stack.width, height});
        y = y + height + p.gap;
    }
    return out;
}

// Smallest whole number whose square reaches n: the number of windows per row.
std::size_t gridRowLength(std::size_t n) {
    std::size_t perRow = static_cast<std::size_t>(std::sqrt(static_cast<double>(n)));
    while (perRow * perRow < n)
        ++perRow;
    while (perRow > 1 && (perRow - 1) * (perRow - 1) >= n)
        --perRow;
    return perRow;
}

// Rows of ⌈√n⌉ windows (only the last can be short), rows and tiles split evenly above minimums.
std::vector<Rect> gridFrames(const Prepared& p) {
    const std::size_t n = p.mins.size();
    const std::size_t perRow = gridRowLength(n);
    const std::size_t rowCount = (n + perRow - 1) / perRow;
    std::vector<double> rowMins(rowCount, 0.0);
    for (std::size_t k = 0; k < rowCount; ++k) {
        const std::size_t end = std::min((k + 1) * perRow, n);
        for (std::size_t i = k * perRow; i < end; ++i)
            rowMins[k] =
                i == k * perRow ? p.mins[i].height : std::max(rowMins[k], p.mins[i].height);
    }
    const std::vector<double> rowHeights =
        distributeLengths(p.area.height - static_cast<double>(rowCount - 1) * p.gap, rowMins, {});
    std::vector<Rect> out;
    out.reserve(n);
    double y = p.area.minY();
    for (std::size_t k = 0; k < rowCount; ++k) {
        const std::size_t begin = k * perRow;
        const std::size_t end = std::min(begin + perRow, n);
        const Rect row{p.area.minX(), y, p.area.width, rowHeights[k]};
        const std::vector<double> widths =
            distributeLengths(row.width - static_cast<double>(end - begin - 1) * p.gap,
                              widthsOf(p.mins, begin, end), {});
        double x = row.minX();
        for (double width : widths) {
            out.push_back({x, row.minY(), width, row.height});
            x = x + width + p.gap;
        }
        y = y + rowHeights[k] + p.gap;
    }
    return out;
}

} // namespace

std::vector<double> distributeLengths(double total, const std::vector<double>& minimums,
                                      const std::vector<double>& weights) {
    const std::size_t m = minimums.size();
    std::vector<double> lengths(m, 0.0);
    std::vector<bool> pinned(m, false);
    std::size_t pinnedCount = 0;
    // Each pass pins at least one item or finishes, so there are at most m + 1 passes.
    while (pinnedCount < m) {
        double pinnedLength = 0;
        double weightSum = 0;
        for (std::size_t i = 0; i < m; ++i) {
            if (pinned[i])
                pinnedLength += lengths[i];
            else
                weightSum += weightAt(weights, i);
        }
        const double remaining = total - pinnedLength;
        std::size_t pinnedNow = 0;
        for (std::size_t i = 0; i < m; ++i) {
            if (!pinned[i] && minimums[i] > weightAt(weights, i) * remaining / weightSum) {
                lengths[i] = minimums[i];
                pinned[i] = true;
                ++pinnedNow;
            }
        }
        if (pinnedNow == 0) {
            for (std::size_t i = 0; i < m; ++i)
                if (!pinned[i])
                    lengths[i] = weightAt(weights, i) * remaining / weightSum;
            return lengths;
        }
        pinnedCount += pinnedNow;
    }
    return lengths;
}

std::vector<Rect> frames(int count, LayoutKind kind, const std::vector<Size>& minimumSizes,
                         const std::vector<double>& weights, const Rect& area,
                         const LayoutOptions& options) {
    if (count < 1)
        return {};
    const auto n = static_cast<std::size_t>(count);
    Prepared p;
    p.area = tilingArea(area, options.outerGap);
    p.gap = innerGapOf(options);
    p.mins.assign(n, Size{});
    std::copy_n(minimumSizes.begin(), std::min(n, minimumSizes.size()), p.mins.begin());
    p.weights.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        p.weights[i] = weightAt(weights, i);
    switch (kind) {
    case LayoutKind::columns:
        return columnFrames(p);
    case LayoutKind::rows:
        return rowFrames(p);
    case LayoutKind::mainStack:
        return mainStackFrames(p, mainRatioOf(options));
    case LayoutKind::grid:
        return gridFrames(p);
    case LayoutKind::monocle:
        break;
    }
    return std::vector<Rect>(n, p.area);
}

} // namespace morvanta::LayoutPresets
