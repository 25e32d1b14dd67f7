#include "app/shell/settings_window/appearance_tab.h"

#include "app/settings/app_settings.h"
#include "app/shell/settings_window/settings_style.h"
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/settings_window_services.h"
#include "app/shell/settings_window/slider_row.h"
#include "app/shell/widgets/layout_preview.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>

namespace morvanta {

using T = SettingsTexts;

namespace {

// A round colour swatch, ringed in the text colour when it is the current colour.
class Swatch : public QAbstractButton {
public:
    Swatch(const QString& hex, QWidget* parent = nullptr) : QAbstractButton(parent), hex_(hex) {
        setCheckable(true);
        setFixedSize(28, 28);
        setCursor(Qt::PointingHandCursor);
        setAccessibleName(QString::fromStdString(T::swatchLabel(hex.toStdString())));
        setToolTip(hex);
    }
    const QString& hex() const { return hex_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF circle = QRectF(rect()).adjusted(4, 4, -4, -4);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(hex_));
        painter.drawEllipse(circle);
        if (isChecked()) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(palette().color(QPalette::WindowText), 2));
            painter.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
        }
    }

private:
    QString hex_;
};

} // namespace

AppearanceTab::AppearanceTab(const SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), services_(services), border_(new QCheckBox(T::showBorder)),
      hideWhileDragging_(new QCheckBox(T::hideWhileDragging)),
      custom_(new QPushButton(T::customColour)),
      preview_(new LayoutPreview(LayoutKind::mainStack)) {
    AppSettings& settings = services_.settings;
    auto* column = settings_ui::pageColumn(this);
    column->addWidget(settings_ui::sectionTitle(T::focusBorder));
    column->addWidget(border_);
    column->addWidget(hideWhileDragging_);
    column->addSpacing(6);
    width_ = new SliderRow(
        T::width, 1, 12, 1, settings.borderWidth(),
        [](double v) { return QString::number(std::lround(v)) + " pt"; },
        [this](double v) { services_.settings.setBorderWidth(v); });
    column->addWidget(width_);
    column->addSpacing(6);
    column->addWidget(settings_ui::sectionTitle(T::colour));
    auto* swatchRow = new QHBoxLayout;
    for (const char* hex : swatches) {
        auto* swatch = new Swatch(hex);
        connect(swatch, &QAbstractButton::clicked, this,
                [this, hex] { services_.settings.setBorderColorHex(hex); });
        swatchButtons_.push_back(swatch);
        swatchRow->addWidget(swatch);
    }
    swatchRow->addSpacing(10);
    swatchRow->addWidget(custom_);
    swatchRow->addStretch();
    column->addLayout(swatchRow);
    connect(custom_, &QPushButton::clicked, this, [this] { chooseCustomColour(); });
    column->addSpacing(6);
    column->addWidget(settings_ui::sectionTitle(T::preview));
    preview_->setCount(3);
    preview_->setFixedSize(320, preview_->heightForWidth(320));
    column->addWidget(preview_, 0, Qt::AlignLeft);
    column->addStretch();

    connect(border_, &QCheckBox::toggled, this,
            [this](bool on) { services_.settings.setBorderEnabled(on); });
    connect(hideWhileDragging_, &QCheckBox::toggled, this,
            [this](bool on) { services_.settings.setHideBorderWhileDragging(on); });
    settingsObserver_ = settings.addObserver([this](SettingsField) { showSettings(); });
    showSettings();
}

AppearanceTab::~AppearanceTab() = default;

void AppearanceTab::chooseCustomColour() {
    const QColor current(QString::fromStdString(services_.settings.borderColorHex()));
    const QColor chosen = QColorDialog::getColor(current, this, T::customColour);
    if (!chosen.isValid())
        return;
    services_.settings.setBorderColorHex(chosen.name(QColor::HexRgb).toUpper().toStdString());
}

void AppearanceTab::showSettings() {
    const AppSettings& settings = services_.settings;
    {
        const QSignalBlocker a(border_);
        const QSignalBlocker b(hideWhileDragging_);
        border_->setChecked(settings.borderEnabled());
        hideWhileDragging_->setChecked(settings.hideBorderWhileDragging());
    }
    width_->showValue(settings.borderWidth());
    const QString hex = QString::fromStdString(settings.borderColorHex());
    for (QAbstractButton* button : swatchButtons_)
        button->setChecked(static_cast<Swatch*>(button)->hex().compare(hex, Qt::CaseInsensitive) ==
                           0);
    preview_->setOptions(settings.layoutOptions());
    if (settings.borderEnabled())
        preview_->setBorderColor(QColor(hex));
    else
        preview_->setBorderColor(std::nullopt);
    preview_->setBorderWidth(settings.borderWidth());
}

} // namespace morvanta
