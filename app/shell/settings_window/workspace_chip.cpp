#include "app/shell/settings_window/workspace_chip.h"

#include "app/shell/settings_window/settings_texts.h"
#include "core/workspace_numbers.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

namespace morvanta {

WorkspaceChip::WorkspaceChip(int number, int windowCount, bool showing,
                             std::function<void(bool)> dragging, QWidget* parent)
    : QWidget(parent), number_(number), windowCount_(windowCount), showing_(showing),
      dragging_(std::move(dragging)) {
    setFixedSize(chipWidth, chipHeight);
    setCursor(Qt::OpenHandCursor);
    setToolTip(QString::fromStdString(SettingsTexts::chipTooltip(label().toStdString(), showing)));
    setAccessibleName(toolTip());
}

QString WorkspaceChip::label() const {
    return QString::fromStdString(workspaceLabel(number_));
}

QString WorkspaceChip::countText() const {
    return QString::fromStdString(SettingsTexts::windowCount(windowCount_));
}

void WorkspaceChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = palette().color(QPalette::Highlight);
    QColor fill = palette().color(QPalette::PlaceholderText);
    fill.setAlphaF(0.15f);
    QColor labelColor = palette().color(QPalette::WindowText);
    QColor countColor = palette().color(QPalette::PlaceholderText);
    if (showing_) {
        fill = accent;
        labelColor = Qt::white;
        countColor = QColor(255, 255, 255, static_cast<int>(255 * 0.85));
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(path, fill);

    QFont labelFont = font();
    labelFont.setPointSizeF(labelFont.pointSizeF() * 1.45);
    labelFont.setWeight(QFont::DemiBold);
    labelFont.setStyleHint(QFont::Monospace);
    QFont countFont = font();
    countFont.setPointSizeF(countFont.pointSizeF() * 0.8);

    const int labelHeight = QFontMetrics(labelFont).height();
    const int countHeight = QFontMetrics(countFont).height();
    const int top = (chipHeight - labelHeight - countHeight) / 2;
    painter.setFont(labelFont);
    painter.setPen(labelColor);
    painter.drawText(QRect(0, top, chipWidth, labelHeight), Qt::AlignCenter, label());
    painter.setFont(countFont);
    painter.setPen(countColor);
    painter.drawText(QRect(0, top + labelHeight, chipWidth, countHeight), Qt::AlignCenter,
                     countText());
}

void WorkspaceChip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        pressPosition_ = event->position().toPoint();
    }
    QWidget::mousePressEvent(event);
}

void WorkspaceChip::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_ || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - pressPosition_).manhattanLength() <
        QApplication::startDragDistance())
        return;
    pressed_ = false;
    auto* data = new QMimeData;
    data->setText(QString::number(number_));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(grab());
    drag->setHotSpot(pressPosition_);
    // The tab holds back rebuilding its tiles (and so this chip) until the drag is over.
    const auto dragging = dragging_;
    if (dragging)
        dragging(true);
    drag->exec(Qt::MoveAction);
    if (dragging)
        dragging(false);
}

} // namespace morvanta
