// The visible part of a monitor once docks and panels have reserved their strips of the root
// window (_NET_WM_STRUT_PARTIAL). Pure code.
#pragma once

#include "core/geometry.h"

#include <vector>

namespace morvanta {

// The twelve values of _NET_WM_STRUT_PARTIAL: widths reserved at the root's left, right, top and
// bottom edges, each with the range along that edge it covers. _NET_WM_STRUT (four values)
// covers whole edges.
struct Strut {
    double left = 0, right = 0, top = 0, bottom = 0;
    double leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
    double topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;

    static Strut fromPartial(const std::vector<double>& values);
    static Strut fromFull(const std::vector<double>& values, const Size& root);
};

// The window manager's work area (_NET_WORKAREA of the current desktop) as a strut over whole
// root edges, for the edges it reserves that no strut in `known` touches. Some window managers
// keep their own panel out of every client list and give it no dock type (IceWM's taskbar is a
// child of a frame); their work area still tells. Nothing for a work area that does not fit in
// the root or takes half of it or more: such a value is not to be trusted.
Strut workAreaStrut(const Rect& workArea, const Size& root, const std::vector<Strut>& known);

// `monitor` less every strut strip that overlaps it. A monitor wholly covered keeps its frame.
Rect visibleFrame(const Rect& monitor, const Size& root, const std::vector<Strut>& struts);

} // namespace morvanta
