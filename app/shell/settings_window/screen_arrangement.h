// ScreenArrangement: the displays tab's drawing of the connected screens in their real
// arrangement, one ScreenTile per display summary, scaled into the space the tab gives it and
// centred there. Screens keep their top-left coordinates (X11 and Qt share one space), so a
// screen higher up on the desk is higher on the page.
#pragma once

#include "app/controller/display_summary.h"

#include <QRectF>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

namespace morvanta {

class ScreenTile;

class ScreenArrangement : public QWidget {
public:
    static constexpr double tileInset = 10;
    static constexpr double minimumTileWidth = 120;
    static constexpr double minimumTileHeight = 90;

    // Where each screen's tile goes in an area of the given size: scaled by the smaller of
    // the two ratios between the area and the screens' bounding box, centred, less `tileInset`
    // each way but never below the minimum tile size. Screens without a frame sit at the box's
    // corner in the minimum size.
    static std::vector<QRectF> tileRects(const std::vector<Rect>& frames, QSizeF available);

    struct Actions {
        // The workspace numbers dropped on a screen's tile; answers whether the drop is taken.
        std::function<bool(const QStringList& texts, const DisplaySummary& screen)> drop;
        // A drag entered (the display) or left (none) a tile.
        std::function<void(std::optional<DisplayID> screen)> target;
        // A chip's drag started (true) or ended (false).
        std::function<void(bool running)> dragging;
    };

    explicit ScreenArrangement(Actions actions, QWidget* parent = nullptr);

    void setSummaries(const std::vector<DisplaySummary>& summaries);
    void setTargeted(const std::optional<DisplayID>& screen);
    const std::vector<ScreenTile*>& tiles() const { return tiles_; }

    QSize sizeHint() const override { return {520, 260}; }
    QSize minimumSizeHint() const override { return {260, 200}; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeTiles();

    Actions actions_;
    std::vector<DisplaySummary> summaries_;
    std::vector<ScreenTile*> tiles_;
};

} // namespace morvanta
