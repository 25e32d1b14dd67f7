// LayoutCard: a selectable card for one layout in the settings window: a preview of four
// windows on a 1440-point screen, the layout's name and its description (two lines reserved,
// so cards in a row line up), inside a rounded outline in the accent colour when selected.
#pragma once

#include "core/layout_kind.h"

#include <QAbstractButton>
#include <functional>

class QLabel;

namespace morvanta {

class LayoutPreview;

class LayoutCard : public QAbstractButton {
public:
    static constexpr int margin = 8;
    static constexpr int spacing = 6;
    static constexpr double cornerRadius = 10;
    static constexpr int descriptionLines = 2;

    // `action` runs when the card is clicked.
    LayoutCard(LayoutKind layout, bool selected, std::function<void()> action,
               QWidget* parent = nullptr);

    LayoutKind layoutKind() const { return layout_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    // The outline colours, from the palette: the accent (highlight) colour when selected, the
    // secondary text colour at 25 % opacity otherwise.
    QColor outlineColor() const;
    double outlineWidth() const { return selected_ ? 2 : 1; }

    LayoutPreview* preview() const { return preview_; }
    // The description as shown: cut to two lines with an ellipsis where it is longer.
    QString shownDescription() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void reserveDescriptionLines();
    void fitDescription();

    LayoutKind layout_;
    bool selected_;
    std::function<void()> action_;
    LayoutPreview* preview_;
    QLabel* name_;
    QLabel* description_;
    QString fullDescription_;
};

} // namespace morvanta
