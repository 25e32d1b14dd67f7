// PanelRowDelegate: the painting of the command panel's rows.
#include "app/commands/panel_row_delegate.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace morvanta {

namespace {

constexpr int padding = 12;
constexpr int spacing = 8;

QColor mutedColor(const QPalette& palette, bool selected) {
    QColor color = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    color.setAlphaF(0.62f);
    return color;
}

} // namespace

PanelRowDelegate::PanelRowDelegate(std::function<const PanelItem*(int row)> itemAt, int iconColumns,
                                   QObject* parent)
    : QStyledItemDelegate(parent), itemAt_(std::move(itemAt)),
      iconColumns_(std::clamp(iconColumns, 0, maxIcons)) {}

QSize PanelRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), rowHeight};
}

void PanelRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const PanelItem* item = itemAt_(index.row());
    if (!item)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = option.state & QStyle::State_Selected;
    const QRect row = option.rect.adjusted(4, 1, -4, -1);
    if (selected) {
        QPainterPath background;
        background.addRoundedRect(QRectF(row), 7, 7);
        painter->fillPath(background, option.palette.color(QPalette::Highlight));
    }

    int left = row.left() + padding;
    const int shown = std::min(static_cast<int>(item->icons.size()), iconColumns_);
    for (int i = 0; i < shown; ++i) {
        const QRect box(left + i * (iconSize + 4), row.center().y() - iconSize / 2 + 1, iconSize,
                        iconSize);
        item->icons[static_cast<std::size_t>(i)].paint(painter, box);
    }
    if (iconColumns_ > 0)
        left += iconColumns_ * (iconSize + 4) - 4 + spacing;

    int right = row.right() - padding;
    if (!item->shortcut.empty())
        right =
            paintShortcut(painter, option, row, QString::fromStdString(item->shortcut)) - spacing;

    QFont titleFont = option.font;
    titleFont.setPointSizeF(titleFont.pointSizeF() + 1);
    const QFontMetrics titleMetrics(titleFont);
    const QColor textColor =
        option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const int width = std::max(0, right - left);
    const QString title =
        titleMetrics.elidedText(QString::fromStdString(item->title), Qt::ElideRight, width);
    painter->setFont(titleFont);
    painter->setPen(textColor);
    if (item->detail.empty()) {
        painter->drawText(QRect(left, row.top(), width, row.height()),
                          Qt::AlignVCenter | Qt::AlignLeft, title);
    } else {
        QFont detailFont = option.font;
        detailFont.setPointSizeF(detailFont.pointSizeF() - 0.5);
        const QFontMetrics detailMetrics(detailFont);
        const int textHeight = titleMetrics.height() + detailMetrics.height();
        const int top = row.top() + (row.height() - textHeight) / 2;
        painter->drawText(QRect(left, top, width, titleMetrics.height()),
                          Qt::AlignVCenter | Qt::AlignLeft, title);
        painter->setFont(detailFont);
        painter->setPen(mutedColor(option.palette, selected));
        painter->drawText(
            QRect(left, top + titleMetrics.height(), width, detailMetrics.height()),
            Qt::AlignVCenter | Qt::AlignLeft,
            detailMetrics.elidedText(QString::fromStdString(item->detail), Qt::ElideRight, width));
    }
    painter->restore();
}

int PanelRowDelegate::paintShortcut(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QRect& row, const QString& text) const {
    const bool selected = option.state & QStyle::State_Selected;
    QFont font = option.font;
    font.setPointSizeF(font.pointSizeF() - 1);
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(text) + 12;
    const int height = metrics.height() + 4;
    const QRect box(row.right() - padding - width, row.center().y() - height / 2 + 1, width,
                    height);
    QColor fill = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    fill.setAlphaF(0.10f);
    QPainterPath path;
    path.addRoundedRect(QRectF(box), 5, 5);
    painter->fillPath(path, fill);
    painter->setFont(font);
    painter->setPen(mutedColor(option.palette, selected));
    painter->drawText(box, Qt::AlignCenter, text);
    return box.left();
}

} // namespace morvanta
