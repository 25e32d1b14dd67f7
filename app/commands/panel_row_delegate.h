// PanelRowDelegate: draws one row of the command panel: the applications' icons, the title
// with its secondary text beneath (or the title alone, centred), and the shortcut text or tag
// right-aligned in a small rounded box. The selected row is highlighted. The rows' data come
// from the view through `itemAt`, by row number. Rows with more icons than there is room for
// show the first ones.
#pragma once

#include "app/commands/panel_item.h"

#include <QStyledItemDelegate>
#include <functional>

namespace morvanta {

class PanelRowDelegate : public QStyledItemDelegate {
public:
    static constexpr int rowHeight = 46;
    static constexpr int iconSize = 24;
    static constexpr int maxIcons = 5;

    // `iconColumns`: how many icons the widest row of the list carries; every row keeps room
    // for that many (at most maxIcons), so the titles line up.
    PanelRowDelegate(std::function<const PanelItem*(int row)> itemAt, int iconColumns,
                     QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    // Draws the shortcut box at the right end of `row`; answers the box's left edge.
    int paintShortcut(QPainter* painter, const QStyleOptionViewItem& option, const QRect& row,
                      const QString& text) const;

    std::function<const PanelItem*(int)> itemAt_;
    int iconColumns_ = 0;
};

} // namespace morvanta
