// SliderRow: the settings window's row for a numeric setting: a title, a slider over a closed
// range in fixed steps, and the value's display text at the right. Each step the slider takes
// is passed on at once, so what the setting drives changes while the slider moves.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QSlider;

namespace morvanta {

class SliderRow : public QWidget {
public:
    using Display = std::function<QString(double value)>;

    SliderRow(const QString& title, double minimum, double maximum, double step, double value,
              Display display, std::function<void(double)> changed, QWidget* parent = nullptr);

    double value() const;
    // Moves the slider to the step nearest `value` (clamped to the range), as a user would.
    void setValue(double value);
    // Shows a value set elsewhere without passing it on.
    void showValue(double value);
    QString displayText() const;
    double minimum() const { return minimum_; }
    double maximum() const { return maximum_; }
    double step() const { return step_; }
    QSlider* slider() const { return slider_; }

private:
    int position(double value) const;

    double minimum_;
    double maximum_;
    double step_;
    Display display_;
    std::function<void(double)> changed_;
    QSlider* slider_;
    QLabel* valueLabel_;
};

} // namespace morvanta
