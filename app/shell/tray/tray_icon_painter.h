// TrayIconPainter: draws the tray item's images. The workspace label: each workspace's label
// (digits or a letter) in a cell of its own, the active one inverted (a filled rounded cell with
// the glyphs cut out of it, so the panel shows through them). The state images: a split window
// crossed out (no session to control), a window with pause bars (paused), a split window (no
// displays yet). Everything is drawn in one ink colour, white for dark panels and black for
// light ones, and rendered afresh for every pixel size so it stays crisp in any tray.
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <vector>

namespace morvanta {

enum class TrayState { noPermission, paused, noDisplays, workspace };

class TrayIconPainter {
public:
    static constexpr double cellWidth = 18;
    static constexpr double cellGap = 3;
    static constexpr double cellHeight = 16;
    static constexpr double cornerRadius = 4;
    static constexpr double fontSize = 12;
    // The sizes an icon carries; trays pick the nearest.
    static const std::vector<int>& iconSizes();

    // The labels of `numbers` side by side; cell i spans x = i × (width + gap) … + width. The
    // image is `scale` times the logical size, transparent where nothing is drawn.
    static QImage labels(const std::vector<int>& numbers, int active, QColor ink, double scale = 1,
                         double width = cellWidth, double gap = cellGap,
                         double height = cellHeight);
    // The single active label centred in a square of `pixels`.
    static QImage label(int number, QColor ink, int pixels);
    static QImage state(TrayState state, QColor ink, int pixels);

    // Icons holding one image per size of iconSizes().
    static QIcon labelIcon(int number, QColor ink);
    static QIcon stateIcon(TrayState state, QColor ink);

    // White on a dark panel, black on a light one; the panel is taken to be the palette's
    // window colour.
    static QColor inkFor(const QPalette& palette);
};

} // namespace morvanta
