// KeyPanel: the window the command panel lives in. 620 × 420, without a frame or title bar,
// kept above other windows and out of the taskbar (a tool window), yet able to take the
// keyboard focus so the search field receives typing. Morvanta never tiles it: enumeration
// skips Morvanta's own windows.
#pragma once

#include <QWidget>

namespace morvanta {

class KeyPanel : public QWidget {
public:
    static constexpr int panelWidth = 620;
    static constexpr int panelHeight = 420;
    // Its top's place on the screen, as a share of the usable height below the usable top.
    static constexpr double topFraction = 0.18;
    // Its caption, by which a window system that places it (KWin on Wayland) finds it.
    static constexpr const char* caption = "Morvanta command panel";

    // Takes ownership of `content`, which fills the panel.
    explicit KeyPanel(QWidget* content);

    // The panel's top-left corner on a screen with the given usable area: centred
    // horizontally, its top `topFraction` of the usable height below the usable area's top.
    static QPoint originOn(const QRect& availableGeometry);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace morvanta
