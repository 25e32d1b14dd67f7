#include "core/resize_interpreter.h"

#include "core/layout_presets.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace morvanta {

ResizeInterpreter::ResizeInterpreter(LayoutKind kind, std::vector<Rect> frames, std::size_t index)
    : kind_(kind), frames_(std::move(frames)), index_(index) {}

bool ResizeInterpreter::moved(double delta) {
    return std::abs(delta) > edgeTolerance;
}

ResizeReading ResizeInterpreter::read(const Rect& planned, const Rect& current) const {
    if (frames_.size() < 2 || index_ >= frames_.size())
        return {};
    const Edges edges{current.minX() - planned.minX(), current.maxX() - planned.maxX(),
                      current.minY() - planned.minY(), current.maxY() - planned.maxY()};
    switch (kind_) {
    case LayoutKind::columns: {
        std::vector<double> widths;
        for (const Rect& frame : frames_)
            widths.push_back(frame.width);
        return readLine(widths, index_, edges.maxX, edges.minX);
    }
    case LayoutKind::rows: {
        std::vector<double> heights;
        for (const Rect& frame : frames_)
            heights.push_back(frame.height);
        return readLine(heights, index_, edges.maxY, edges.minY);
    }
    case LayoutKind::mainStack:
        return readMainStack(edges);
    case LayoutKind::grid:
    case LayoutKind::monocle:
        break;
    }
    return {};
}

// One line of sizes: the far edge (right or bottom) trades with the next entry, the near edge
// (left or top) with the one before.
ResizeReading ResizeInterpreter::readLine(const std::vector<double>& sizes, std::size_t position,
                                          double after, double before) const {
    std::optional<std::vector<double>> shifted;
    if (moved(after) && position + 1 < sizes.size())
        shifted = shift(sizes, position, position + 1, after);
    else if (moved(before) && position > 0)
        shifted = shift(sizes, position, position - 1, -before);
    ResizeReading reading;
    if (shifted)
        reading.weights = std::move(*shifted);
    return reading;
}

ResizeReading ResizeInterpreter::readMainStack(const Edges& edges) const {
    ResizeReading reading;
    // The split between main and stack: the main window's right edge or a stack window's left.
    const double split = index_ == 0 ? edges.maxX : edges.minX;
    const double pairWidth = frames_[0].width + frames_[1].width;
    if (moved(split) && pairWidth > 0 && std::isfinite(pairWidth)) {
        const double ratio = (frames_[0].width + split) / pairWidth;
        if (std::isfinite(ratio))
            reading.mainRatio =
                std::clamp(ratio, LayoutPresets::lowestMainRatio, LayoutPresets::highestMainRatio);
    }
    if (index_ == 0)
        return reading;
    std::vector<double> heights;
    for (std::size_t i = 1; i < frames_.size(); ++i)
        heights.push_back(frames_[i].height);
    const std::size_t s = index_ - 1;
    std::optional<std::vector<double>> shifted;
    if (moved(edges.maxY) && index_ + 1 < frames_.size())
        shifted = shift(heights, s, s + 1, edges.maxY);
    else if (moved(edges.minY) && index_ != 1)
        shifted = shift(heights, s, s - 1, -edges.minY);
    if (shifted) {
        reading.weights = std::move(*shifted);
        reading.firstWindow = 1;
    }
    return reading;
}

// Moves `amount` from entry q to entry p, keeping both at least a tenth of the total, and
// answers the sizes as weights that average 1. Frames without a positive, finite total carry no
// usable proportions, so they answer nothing rather than infinite or undefined weights.
std::optional<std::vector<double>>
ResizeInterpreter::shift(std::vector<double> sizes, std::size_t p, std::size_t q, double amount) {
    const double total = std::accumulate(sizes.begin(), sizes.end(), 0.0);
    if (!(total > 0) || !std::isfinite(total) || !std::isfinite(amount))
        return std::nullopt;
    const double least = leastShare * total;
    amount = std::max(amount, least - sizes[p]);
    amount = std::min(amount, sizes[q] - least);
    sizes[p] += amount;
    sizes[q] -= amount;
    const double mean = total / static_cast<double>(sizes.size());
    for (double& size : sizes)
        size /= mean;
    return sizes;
}

} // namespace morvanta
