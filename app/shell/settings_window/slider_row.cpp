#include "app/shell/settings_window/slider_row.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>

namespace morvanta {

SliderRow::SliderRow(const QString& title, double minimum, double maximum, double step,
                     double value, Display display, std::function<void(double)> changed,
                     QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), step_(step),
      display_(std::move(display)), changed_(std::move(changed)),
      slider_(new QSlider(Qt::Horizontal)), valueLabel_(new QLabel) {
    // The slider counts steps from the minimum, so every position is a value on the grid.
    slider_->setRange(0, static_cast<int>(std::lround((maximum_ - minimum_) / step_)));
    slider_->setSingleStep(1);
    slider_->setPageStep(std::max(1, slider_->maximum() / 10));
    slider_->setAccessibleName(title);
    valueLabel_->setMinimumWidth(QFontMetrics(valueLabel_->font()).horizontalAdvance("0000 pt"));
    valueLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* titleLabel = new QLabel(title);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(titleLabel);
    row->addWidget(slider_, 1);
    row->addWidget(valueLabel_);
    showValue(value);
    connect(slider_, &QSlider::valueChanged, this, [this] {
        valueLabel_->setText(displayText());
        if (changed_)
            changed_(this->value());
    });
}

int SliderRow::position(double value) const {
    const double clamped = std::clamp(value, minimum_, maximum_);
    return static_cast<int>(std::lround((clamped - minimum_) / step_));
}

double SliderRow::value() const {
    return std::min(maximum_, minimum_ + slider_->value() * step_);
}

void SliderRow::setValue(double value) {
    slider_->setValue(position(value));
}

void SliderRow::showValue(double value) {
    const QSignalBlocker blocker(slider_);
    slider_->setValue(position(value));
    valueLabel_->setText(display_ ? display_(value) : QString::number(value));
}

QString SliderRow::displayText() const {
    return display_ ? display_(value()) : QString::number(value());
}

} // namespace morvanta
