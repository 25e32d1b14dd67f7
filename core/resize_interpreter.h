// ResizeInterpreter: reads a hand resize of one tiled window (the frame it was given against
// the frame the user dragged it to) as new relative sizes for the windows along the layout's
// split axis and, for main + stack, a new main share. Pure arithmetic on frames.
#pragma once

#include "core/geometry.h"
#include "core/layout_kind.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace morvanta {

// What a resize asks for. `weights` is empty when no split moved; otherwise it holds the new
// weight of tiled windows firstWindow, firstWindow + 1, … in order (averaging 1).
struct ResizeReading {
    std::optional<double> mainRatio;
    std::vector<double> weights;
    std::size_t firstWindow = 0;
};

class ResizeInterpreter {
public:
    // Edges that move by this much or less count as unmoved.
    static constexpr double edgeTolerance = 2.0;
    // Neither side of a moved split gets less than this share of the pair's list total.
    static constexpr double leastShare = 0.1;

    // `frames` are the applied frames of the workspace's tiled windows in order; `index` is the
    // resized window's position among them.
    ResizeInterpreter(LayoutKind kind, std::vector<Rect> frames, std::size_t index);

    ResizeReading read(const Rect& planned, const Rect& current) const;

private:
    struct Edges {
        double minX = 0, maxX = 0, minY = 0, maxY = 0;
    };
    static bool moved(double delta);

    ResizeReading readLine(const std::vector<double>& sizes, std::size_t position, double after,
                           double before) const;
    ResizeReading readMainStack(const Edges& edges) const;
    static std::optional<std::vector<double>> shift(std::vector<double> sizes, std::size_t p,
                                                    std::size_t q, double amount);

    LayoutKind kind_;
    std::vector<Rect> frames_;
    std::size_t index_;
};

} // namespace morvanta
