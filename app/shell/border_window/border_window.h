// BorderWindow: the focus border's ring window where the window system places Morvanta's windows
// (KWin on Wayland, through the bridge script; see KWinBorderOverlay). A frameless, translucent
// tool window, kept on top, click-through (an empty input region), shown without taking the
// activation, captioned `borderSurfaceCaption` so the script can tell it from Morvanta's other
// windows. It only draws: the ring fills whatever size the window system gives it.
//
// Once shown it stays mapped and draws nothing while the ring is hidden: every new mapping would
// be a new window to the compositor, placed by its own rules until the script moves it.
#pragma once

#include "ax/border_surface.h"

#include <QColor>
#include <QWidget>

namespace morvanta {

class BorderWindow final : public QWidget, public BorderSurface {
public:
    BorderWindow();

    void setRing(const Size& size, double width, double radius, const BorderColor& color) override;
    void showRing() override;
    void hideRing() override;

    bool ringShown() const { return ringShown_; }
    double ringWidth() const { return width_; }
    double cornerRadius() const { return radius_; }
    const QColor& ringColor() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool ringShown_ = false;
    double width_ = 0;
    double radius_ = 0;
    QColor color_;
};

} // namespace morvanta
