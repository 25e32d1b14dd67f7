#include "app/shell/widgets/layout_preview.h"

#include "app/shell/widgets/layout_preview_geometry.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace morvanta {

namespace {

QColor withOpacity(QColor color, double opacity) {
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

QRectF toQt(const Rect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

// A line of `width` drawn inside the rounded rectangle's edge, never outside it.
void strokeInside(QPainter& painter, const QRectF& rect, double radius, double width,
                  const QColor& color) {
    if (!(width > 0))
        return;
    const double half = width / 2;
    const QRectF inner = rect.adjusted(half, half, -half, -half);
    if (inner.width() < 0 || inner.height() < 0)
        return;
    QPen pen(color, width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double innerRadius = std::max(radius - half, 0.0);
    painter.drawRoundedRect(inner, innerRadius, innerRadius);
}

} // namespace

QColor LayoutPreview::desktopColor() {
    return QColor::fromRgbF(0.17f, 0.23f, 0.27f);
}

LayoutPreview::LayoutPreview(LayoutKind layout, QWidget* parent)
    : QWidget(parent), layout_(layout) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void LayoutPreview::setCount(int count) {
    count_ = count;
    update();
}

void LayoutPreview::setOptions(const LayoutOptions& options) {
    options_ = options;
    update();
}

void LayoutPreview::setBorderColor(std::optional<QColor> color) {
    borderColor_ = color;
    update();
}

void LayoutPreview::setBorderWidth(double width) {
    borderWidth_ = width;
    update();
}

void LayoutPreview::setScreenWidth(double width) {
    screenWidth_ = width;
    update();
}

int LayoutPreview::heightForWidth(int width) const {
    return static_cast<int>(std::lround(width * aspectRatio));
}

QSize LayoutPreview::sizeHint() const {
    return {144, heightForWidth(144)};
}

void LayoutPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QSizeF(size()));
}

void LayoutPreview::paint(QPainter& painter, const QSizeF& size) const {
    const auto geometry = LayoutPreviewGeometry::compute({size.width(), size.height()}, layout_,
                                                         count_, options_, screenWidth_);
    const QColor desktop = desktopColor();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRectF(QPointF(0, 0), size), desktop);
    painter.fillRect(QRectF(0, 0, size.width(), geometry.stripHeight),
                     withOpacity(Qt::white, 0.85));

    const double radius = geometry.cornerRadius;
    for (std::size_t i = 0; i < geometry.tiles.size(); ++i) {
        const QRectF tile = toQt(geometry.tiles[i]);
        const bool first = i == 0;
        painter.setPen(Qt::NoPen);
        painter.setBrush(first ? QColor(Qt::white) : withOpacity(Qt::white, 0.88));
        painter.drawRoundedRect(tile, radius, radius);
        if (first && borderColor_)
            strokeInside(painter, tile, radius, borderWidth_, *borderColor_);
        else
            strokeInside(painter, tile, radius, 1, withOpacity(desktop, 0.55));
    }
    painter.restore();
}

} // namespace morvanta
