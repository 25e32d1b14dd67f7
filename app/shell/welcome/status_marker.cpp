#include "app/shell/welcome/status_marker.h"

#include <QPainter>
#include <QPainterPath>

namespace morvanta {

namespace {

const QColor warningColor(0xE8, 0x9A, 0x10);
const QColor successColor(0x2E, 0xA0, 0x43);

void drawWarning(QPainter& painter, const QRectF& bounds) {
    QPainterPath triangle;
    triangle.moveTo(bounds.center().x(), bounds.top());
    triangle.lineTo(bounds.right(), bounds.bottom());
    triangle.lineTo(bounds.left(), bounds.bottom());
    triangle.closeSubpath();
    painter.fillPath(triangle, warningColor);
    painter.setPen(QPen(Qt::white, bounds.width() / 9, Qt::SolidLine, Qt::RoundCap));
    const double x = bounds.center().x();
    painter.drawLine(QPointF(x, bounds.top() + bounds.height() * 0.38),
                     QPointF(x, bounds.top() + bounds.height() * 0.68));
    painter.drawPoint(QPointF(x, bounds.top() + bounds.height() * 0.84));
}

void drawClock(QPainter& painter, const QRectF& bounds, const QColor& color) {
    painter.setPen(QPen(color, bounds.width() / 10));
    painter.drawEllipse(bounds.adjusted(1, 1, -1, -1));
    painter.setPen(QPen(color, bounds.width() / 10, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre = bounds.center();
    painter.drawLine(centre, QPointF(centre.x(), bounds.top() + bounds.height() * 0.25));
    painter.drawLine(centre, QPointF(bounds.left() + bounds.width() * 0.72, centre.y()));
}

void drawCheck(QPainter& painter, const QRectF& bounds, bool filled) {
    const double line = bounds.width() / 9;
    if (filled) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(successColor);
        painter.drawEllipse(bounds);
    } else {
        painter.setPen(QPen(successColor, line));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(bounds.adjusted(line / 2, line / 2, -line / 2, -line / 2));
    }
    painter.setPen(QPen(filled ? QColor(Qt::white) : successColor, line, Qt::SolidLine,
                        Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(bounds.left() + bounds.width() * 0.28, bounds.top() + bounds.height() * 0.52);
    tick.lineTo(bounds.left() + bounds.width() * 0.44, bounds.top() + bounds.height() * 0.68);
    tick.lineTo(bounds.left() + bounds.width() * 0.72, bounds.top() + bounds.height() * 0.34);
    painter.drawPath(tick);
}

} // namespace

StatusMarker::StatusMarker(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    setFixedSize(sizeHint());
}

void StatusMarker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(1, 1, -1, -1);
    switch (kind_) {
    case Kind::warning:
        drawWarning(painter, bounds);
        break;
    case Kind::clock:
        drawClock(painter, bounds, palette().color(QPalette::PlaceholderText));
        break;
    case Kind::checkFilled:
        drawCheck(painter, bounds, true);
        break;
    case Kind::check:
        drawCheck(painter, bounds, false);
        break;
    }
}

} // namespace morvanta
