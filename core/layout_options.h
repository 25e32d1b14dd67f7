// LayoutOptions: gaps and the main window's share. Stored unclamped; the layout engine clamps
// where it uses them (inner gap at least 0, main ratio 0.2 … 0.8).
#pragma once

namespace morvanta {

struct LayoutOptions {
    double innerGap = 0;
    double outerGap = 0;
    double mainRatio = 0.58;
    bool operator==(const LayoutOptions&) const = default;
};

} // namespace morvanta
