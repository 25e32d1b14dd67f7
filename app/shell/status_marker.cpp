#include "app/shell/status_marker.h"

#include <QPainter>
#include <QPainterPath>

namespace morvanta {

namespace {

const QColor warningColor(0xE8, 0x9A, 0x10);
const QColor successColor(0x2E, 0xA0, 0x43);

void drawWarning(QPainter& p, const QRectF& r) {
    QPainterPath triangle;
    triangle.moveTo(r.center().x(), r.top());
    triangle.lineTo(r.right(), r.bottom());
    triangle.lineTo(r.left(), r.bottom());
    triangle.closeSubpath();
    p.fillPath(triangle, warningColor);
    p.setPen(QPen(Qt::white, r.width() / 9, Qt::SolidLine, Qt::RoundCap));
    const double x = r.center().x();
    p.drawLine(QPointF(x, r.top() + r.height() * 0.38), QPointF(x, r.top() + r.height() * 0.68));
    p.drawPoint(QPointF(x, r.top() + r.height() * 0.84));
}

void drawClock(QPainter& p, const QRectF& r, const QColor& color) {
    p.setPen(QPen(color, r.width() / 10));
    p.drawEllipse(r.adjusted(1, 1, -1, -1));
    p.setPen(QPen(color, r.width() / 10, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = r.center();
    p.drawLine(c, QPointF(c.x(), r.top() + r.height() * 0.25));
    p.drawLine(c, QPointF(r.left() + r.width() * 0.72, c.y()));
}

void drawCheck(QPainter& p, const QRectF& r, bool filled) {
    const double line = r.width() / 9;
    if (filled) {
        p.setPen(Qt::NoPen);
        p.setBrush(successColor);
        p.drawEllipse(r);
    } else {
        p.setPen(QPen(successColor, line));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(r.adjusted(line / 2, line / 2, -line / 2, -line / 2));
    }
    p.setPen(QPen(filled ? QColor(Qt::white) : successColor, line, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(r.left() + r.width() * 0.28, r.top() + r.height() * 0.52);
    tick.lineTo(r.left() + r.width() * 0.44, r.top() + r.height() * 0.68);
    tick.lineTo(r.left() + r.width() * 0.72, r.top() + r.height() * 0.34);
    p.drawPath(tick);
}

} // namespace

StatusMarker::StatusMarker(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    setFixedSize(sizeHint());
}

void StatusMarker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    switch (kind_) {
    case Kind::warning:
        drawWarning(p, r);
        break;
    case Kind::clock:
        drawClock(p, r, palette().color(QPalette::PlaceholderText));
        break;
    case Kind::checkFilled:
        drawCheck(p, r, true);
        break;
    case Kind::check:
        drawCheck(p, r, false);
        break;
    }
}

} // namespace morvanta
