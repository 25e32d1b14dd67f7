// ScreenTile: one screen of the displays tab: its name over a grid of workspace chips, in a
// rounded outline that lights up in the accent colour while a dragged chip is over it. Dropped
// text goes to the tab, which decides what it means.
#pragma once

#include "app/controller/display_summary.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QLabel;

namespace morvanta {

class WorkspaceChip;

class ScreenTile : public QWidget {
public:
    static constexpr double cornerRadius = 12;
    static constexpr int padding = 10;
    static constexpr int nameSpacing = 6;
    static constexpr int chipSpacing = 8;

    struct Actions {
        std::function<bool(const QStringList& texts)> drop;
        std::function<void(std::optional<DisplayID> screen)> target;
        std::function<void(bool running)> dragging;
    };

    ScreenTile(DisplaySummary summary, Actions actions, QWidget* parent = nullptr);

    const DisplaySummary& summary() const { return summary_; }
    const std::vector<WorkspaceChip*>& chips() const { return chips_; }
    bool isTargeted() const { return targeted_; }
    void setTargeted(bool targeted);

    // The tile's colours: the accent at 18 % (fill, targeted only) and its outline.
    std::optional<QColor> fillColor() const;
    QColor outlineColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void placeChips();

    DisplaySummary summary_;
    Actions actions_;
    QLabel* name_;
    std::vector<WorkspaceChip*> chips_;
    bool targeted_ = false;
};

} // namespace morvanta
