// LayoutPreview: a miniature screen with its tiled windows for one layout, window count and
// set of layout options, drawn from the real layout engine (see LayoutPreviewGeometry).
// The settings window uses it in its layout cards and beside the gap and ratio sliders.
#pragma once

#include "core/layout_kind.h"
#include "core/layout_options.h"

#include <QColor>
#include <QWidget>
#include <optional>

class QPainter;

namespace morvanta {

class LayoutPreview : public QWidget {
public:
    // The miniature keeps the shape of a 16:10 screen when a layout gives it room.
    static constexpr double aspectRatio = 10.0 / 16.0;

    // The desktop background; the strip and tiles are white, and unfocused tile outlines are
    // the background at 55 % opacity.
    static QColor desktopColor();

    explicit LayoutPreview(LayoutKind layout, QWidget* parent = nullptr);

    LayoutKind layoutKind() const { return layout_; }

    int count() const { return count_; }
    void setCount(int count);
    // Gaps in real screen points; the preview scales them.
    const LayoutOptions& options() const { return options_; }
    void setOptions(const LayoutOptions& options);
    // The focus border drawn on the first window; none draws the ordinary outline there.
    const std::optional<QColor>& borderColor() const { return borderColor_; }
    void setBorderColor(std::optional<QColor> color);
    // Width of that border in preview points (it is not scaled).
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width);
    // Width in points of the real screen the preview stands for.
    double screenWidth() const { return screenWidth_; }
    void setScreenWidth(double width);

    // Draws the preview at the painter's origin in the given size.
    void paint(QPainter& painter, const QSizeF& size) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LayoutKind layout_;
    int count_ = 4;
    LayoutOptions options_;
    std::optional<QColor> borderColor_;
    double borderWidth_ = 2;
    double screenWidth_ = 1440;
};

} // namespace morvanta
