// BorderRing: the focus border's ring as pixel rectangles: a rounded rectangle filling the
// panel, less a rounded rectangle `width` inside it. The inner edge has the corner radius, the
// outer edge the corner radius plus the width, so the ring hugs a window's rounded corners at
// an even thickness. Pure code: a backend that shapes a window by rectangles uses it as is.
#pragma once

#include <vector>

namespace morvanta {

struct RingRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const RingRect&) const = default;
};

class BorderRing {
public:
    // The ring for a panel of `panelWidth` × `panelHeight` pixels. Rows with the same spans are
    // merged, so the count grows with the corner radii, not with the panel's size. Empty for an
    // empty panel or a non-positive width. Rectangles do not overlap; they are not sorted in
    // the X11 sense (two per row band, left before right).
    static std::vector<RingRect> rectangles(int panelWidth, int panelHeight, double width,
                                            double cornerRadius);

    // The horizontal span [left, right) that a rounded rectangle of `w` × `h` with corner
    // radius `radius` covers on pixel row `row` (sampled at the pixel centre).
    struct Span {
        int left = 0, right = 0;
        bool operator==(const Span&) const = default;
    };
    static Span roundedSpan(int w, int h, double radius, int row);
};

} // namespace morvanta
