#include "app/shell/settings_window/screen_arrangement.h"

#include "app/shell/settings_window/screen_tile.h"

#include <algorithm>

namespace morvanta {

namespace {

bool isEmpty(const Rect& r) {
    return r.width <= 0 || r.height <= 0;
}

// The smallest rectangle holding every non-empty frame; empty when there is none.
Rect boundingBox(const std::vector<Rect>& frames) {
    std::optional<Rect> box;
    for (const Rect& frame : frames) {
        if (isEmpty(frame))
            continue;
        if (!box) {
            box = frame;
            continue;
        }
        const double left = std::min(box->minX(), frame.minX());
        const double top = std::min(box->minY(), frame.minY());
        const double right = std::max(box->maxX(), frame.maxX());
        const double bottom = std::max(box->maxY(), frame.maxY());
        box = Rect{left, top, right - left, bottom - top};
    }
    return box.value_or(Rect{});
}

} // namespace

std::vector<QRectF> ScreenArrangement::tileRects(const std::vector<Rect>& frames,
                                                 QSizeF available) {
    const Rect box = boundingBox(frames);
    double scale = 1;
    double offsetX = 0;
    double offsetY = 0;
    if (!isEmpty(box)) {
        scale = std::min(available.width() / box.width, available.height() / box.height);
        scale = std::max(scale, 0.0);
        offsetX = (available.width() - scale * box.width) / 2;
        offsetY = (available.height() - scale * box.height) / 2;
    }
    std::vector<QRectF> rects;
    rects.reserve(frames.size());
    for (const Rect& frame : frames) {
        const bool placed = !isEmpty(frame) && !isEmpty(box);
        const double width = std::max(minimumTileWidth, scale * frame.width - tileInset);
        const double height = std::max(minimumTileHeight, scale * frame.height - tileInset);
        const double x = tileInset / 2 + offsetX + (placed ? scale * (frame.x - box.x) : 0);
        const double y = tileInset / 2 + offsetY + (placed ? scale * (frame.y - box.y) : 0);
        rects.emplace_back(x, y, width, height);
    }
    return rects;
}

ScreenArrangement::ScreenArrangement(Actions actions, QWidget* parent)
    : QWidget(parent), actions_(std::move(actions)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ScreenArrangement::setSummaries(const std::vector<DisplaySummary>& summaries) {
    for (ScreenTile* tile : tiles_) {
        tile->hide();
        tile->deleteLater();
    }
    tiles_.clear();
    summaries_ = summaries;
    for (const DisplaySummary& summary : summaries_) {
        ScreenTile::Actions tileActions;
        tileActions.drop = [this, summary](const QStringList& texts) {
            return actions_.drop && actions_.drop(texts, summary);
        };
        tileActions.target = [this](std::optional<DisplayID> screen) {
            if (actions_.target)
                actions_.target(std::move(screen));
        };
        tileActions.dragging = [this](bool running) {
            if (actions_.dragging)
                actions_.dragging(running);
        };
        auto* tile = new ScreenTile(summary, std::move(tileActions), this);
        tiles_.push_back(tile);
        tile->show();
    }
    placeTiles();
}

void ScreenArrangement::setTargeted(const std::optional<DisplayID>& screen) {
    for (ScreenTile* tile : tiles_)
        tile->setTargeted(screen && *screen == tile->summary().id);
}

void ScreenArrangement::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeTiles();
}

void ScreenArrangement::placeTiles() {
    std::vector<Rect> frames;
    for (const DisplaySummary& summary : summaries_)
        frames.push_back(summary.frame);
    const auto rects = tileRects(frames, QSizeF(size()));
    for (std::size_t i = 0; i < tiles_.size() && i < rects.size(); ++i)
        tiles_[i]->setGeometry(rects[i].toRect());
}

} // namespace morvanta
