// WorkspaceChip: one workspace on a screen tile of the displays tab: its label and window
// count in a rounded chip, filled with the accent colour when its screen shows it. Dragging the
// chip carries the workspace number as text.
#pragma once

#include <QWidget>
#include <functional>

namespace morvanta {

class WorkspaceChip : public QWidget {
public:
    static constexpr int chipWidth = 46;
    static constexpr int chipHeight = 46;
    static constexpr double cornerRadius = 9;

    // `dragging` hears when a drag of this chip starts (true) and ends (false).
    WorkspaceChip(int number, int windowCount, bool showing, std::function<void(bool)> dragging,
                  QWidget* parent = nullptr);

    int number() const { return number_; }
    bool isShowing() const { return showing_; }
    QString label() const;
    QString countText() const;

    QSize sizeHint() const override { return {chipWidth, chipHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    int number_;
    int windowCount_;
    bool showing_;
    std::function<void(bool)> dragging_;
    QPoint pressPosition_;
    bool pressed_ = false;
};

} // namespace morvanta
