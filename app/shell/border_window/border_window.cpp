#include "app/shell/border_window/border_window.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace morvanta {

BorderWindow::BorderWindow()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                           Qt::NoDropShadowWindowHint | Qt::Tool) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QString::fromUtf8(borderSurfaceCaption));
}

void BorderWindow::setRing(const Size& size, double width, double radius,
                           const BorderColor& color) {
    const QColor wantedColor =
        QColor::fromRgbF(static_cast<float>(std::clamp(color.red, 0.0, 1.0)),
                         static_cast<float>(std::clamp(color.green, 0.0, 1.0)),
                         static_cast<float>(std::clamp(color.blue, 0.0, 1.0)),
                         static_cast<float>(std::clamp(color.alpha, 0.0, 1.0)));
    const bool restyled = width != width_ || radius != radius_ || wantedColor != color_;
    width_ = width;
    radius_ = radius;
    color_ = wantedColor;
    // A wish: on Wayland the size KWin configures (the script's frame) is the one that counts.
    // A new size repaints by itself; the same ring again repaints nothing. Every repaint costs
    // a buffer the size of the window (a fresh one while the compositor still holds the last).
    const QSize wanted(std::max(1, static_cast<int>(std::lround(size.width))),
                       std::max(1, static_cast<int>(std::lround(size.height))));
    if (wanted != this->size())
        resize(wanted);
    else if (restyled && ringShown_)
        update();
}

void BorderWindow::showRing() {
    if (!isVisible())
        show();
    if (!ringShown_)
        update();
    ringShown_ = true;
}

void BorderWindow::hideRing() {
    if (ringShown_)
        update();
    ringShown_ = false;
}

void BorderWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    if (!ringShown_ || width_ <= 0)
        return;
    // The inner edge hugs the window's corners at `radius`; the outer one is `width` further out.
    const QRectF outer(rect());
    const QRectF inner = outer.adjusted(width_, width_, -width_, -width_);
    QPainterPath ring;
    ring.setFillRule(Qt::OddEvenFill);
    ring.addRoundedRect(outer, radius_ + width_, radius_ + width_);
    if (inner.width() > 0 && inner.height() > 0)
        ring.addRoundedRect(inner, radius_, radius_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(ring, color_);
}

} // namespace morvanta
