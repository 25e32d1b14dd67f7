// StatusMarker: the small symbol in front of a status line of the welcome guide: a warning
// triangle, a clock, a filled check circle or an outlined one. Drawn with QPainter, so it looks
// the same under every icon theme (and under none).
#pragma once

#include <QWidget>

namespace morvanta {

class StatusMarker : public QWidget {
public:
    enum class Kind { warning, clock, checkFilled, check };

    explicit StatusMarker(Kind kind, QWidget* parent = nullptr);
    Kind kind() const { return kind_; }
    QSize sizeHint() const override { return {18, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
};

} // namespace morvanta
