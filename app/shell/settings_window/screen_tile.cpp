#include "app/shell/settings_window/screen_tile.h"

#include "app/shell/settings_window/workspace_chip.h"
#include "core/workspace_numbers.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace morvanta {

ScreenTile::ScreenTile(DisplaySummary summary, Actions actions, QWidget* parent)
    : QWidget(parent), summary_(std::move(summary)), actions_(std::move(actions)),
      name_(new QLabel(QString::fromStdString(summary_.name), this)) {
    setAcceptDrops(true);
    QFont bold = name_->font();
    bold.setBold(true);
    name_->setFont(bold);
    QStringList labels;
    for (int number : summary_.numbers) {
        labels << QString::fromStdString(workspaceLabel(number));
        const auto count = summary_.counts.find(number);
        auto* chip = new WorkspaceChip(number, count == summary_.counts.end() ? 0 : count->second,
                                       number == summary_.activeNumber, actions_.dragging, this);
        chips_.push_back(chip);
    }
    setAccessibleName(QString::fromStdString(summary_.name) + ": workspaces " + labels.join(", "));
}

void ScreenTile::setTargeted(bool targeted) {
    if (targeted_ == targeted)
        return;
    targeted_ = targeted;
    update();
}

std::optional<QColor> ScreenTile::fillColor() const {
    if (!targeted_)
        return std::nullopt;
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlphaF(0.18f);
    return fill;
}

QColor ScreenTile::outlineColor() const {
    if (targeted_)
        return palette().color(QPalette::Highlight);
    QColor outline = palette().color(QPalette::PlaceholderText);
    outline.setAlphaF(0.35f);
    return outline;
}

void ScreenTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    if (const auto fill = fillColor())
        painter.fillPath(path, *fill);
    painter.setPen(QPen(outlineColor(), targeted_ ? 2 : 1));
    painter.drawPath(path);
}

void ScreenTile::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeChips();
}

// The name at the top, then rows of chips: as many 46-point columns as fit with 8 points
// between them, leading-aligned.
void ScreenTile::placeChips() {
    const int inner = std::max(0, width() - 2 * padding);
    name_->setGeometry(padding, padding, inner, name_->sizeHint().height());
    const int columns =
        std::max(1, (inner + chipSpacing) / (WorkspaceChip::chipWidth + chipSpacing));
    const int top = padding + name_->height() + nameSpacing;
    for (std::size_t i = 0; i < chips_.size(); ++i) {
        const int column = static_cast<int>(i) % columns;
        const int row = static_cast<int>(i) / columns;
        chips_[i]->move(padding + column * (WorkspaceChip::chipWidth + chipSpacing),
                        top + row * (WorkspaceChip::chipHeight + chipSpacing));
    }
}

void ScreenTile::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasText())
        return;
    event->acceptProposedAction();
    if (actions_.target)
        actions_.target(summary_.id);
}

void ScreenTile::dragLeaveEvent(QDragLeaveEvent* event) {
    QWidget::dragLeaveEvent(event);
    if (actions_.target)
        actions_.target(std::nullopt);
}

void ScreenTile::dropEvent(QDropEvent* event) {
    const QString text = event->mimeData()->text();
    const auto target = actions_.target;
    const bool taken = actions_.drop && actions_.drop(text.split('\n', Qt::SkipEmptyParts));
    if (taken)
        event->acceptProposedAction();
    else
        event->ignore();
    if (target)
        target(std::nullopt);
}

} // namespace morvanta
