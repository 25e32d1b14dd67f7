#include "app/shell/settings_window/layout_tab.h"

#include "app/controller/tiling_controller.h"
#include "app/shell/settings_window/settings_style.h"
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/settings_window_services.h"
#include "app/shell/settings_window/slider_row.h"
#include "app/shell/widgets/layout_card.h"
#include "app/shell/widgets/layout_preview.h"

#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace morvanta {

using T = SettingsTexts;

namespace {

constexpr int previewWidth = 320;

QString points(double value) {
    return QString::number(std::lround(value)) + " pt";
}

QString percent(double ratio) {
    return QString::number(std::lround(ratio * 100)) + "%";
}

} // namespace

LayoutTab::LayoutTab(const SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), services_(services), everyWorkspace_(new QPushButton) {
    AppSettings& settings = services_.settings;
    auto* column = settings_ui::pageColumn(this);
    column->addWidget(settings_ui::sectionTitle(T::defaultLayout));
    // Three cards to a row, so the page fits the window without scrolling sideways.
    auto* cardGrid = new QGridLayout;
    cardGrid->setSpacing(8);
    for (LayoutKind kind : allLayoutKinds) {
        auto* card = new LayoutCard(kind, kind == settings.defaultLayout(),
                                    [this, kind] { services_.settings.setDefaultLayout(kind); });
        const int index = static_cast<int>(cards_.size());
        cards_.push_back(card);
        cardGrid->addWidget(card, index / 3, index % 3);
    }
    cardGrid->setColumnStretch(3, 1);
    column->addLayout(cardGrid);
    column->addWidget(everyWorkspace_, 0, Qt::AlignLeft);
    column->addWidget(settings_ui::note(T::defaultLayoutNote));
    connect(everyWorkspace_, &QPushButton::clicked, this, [this] {
        services_.controller.commands().setLayoutForAllWorkspaces(
            services_.settings.defaultLayout());
    });

    column->addSpacing(8);
    column->addWidget(settings_ui::sectionTitle(T::livePreview));
    column->addWidget(settings_ui::note(T::livePreviewNote));
    previewHolder_ = new QVBoxLayout;
    column->addLayout(previewHolder_);
    mainRatio_ = new SliderRow(T::mainRatio, 0.35, 0.75, 0.01, settings.mainRatio(), percent,
                               [this](double v) { services_.settings.setMainRatio(v); });
    innerGap_ = new SliderRow(T::innerGap, 0, 40, 2, settings.innerGap(), points,
                              [this](double v) { services_.settings.setInnerGap(v); });
    outerGap_ = new SliderRow(T::outerGap, 0, 40, 2, settings.outerGap(), points,
                              [this](double v) { services_.settings.setOuterGap(v); });
    column->addWidget(mainRatio_);
    column->addWidget(innerGap_);
    column->addWidget(outerGap_);
    column->addStretch();

    settingsObserver_ = settings.addObserver([this](SettingsField field) {
        switch (field) {
        case SettingsField::defaultLayout:
        case SettingsField::innerGap:
        case SettingsField::outerGap:
        case SettingsField::mainRatio:
            showSettings();
            break;
        default:
            break;
        }
    });
    showSettings();
}

LayoutTab::~LayoutTab() = default;

void LayoutTab::showSettings() {
    const AppSettings& settings = services_.settings;
    const LayoutKind kind = settings.defaultLayout();
    for (LayoutCard* card : cards_)
        card->setSelected(card->layoutKind() == kind);
    everyWorkspace_->setText(
        QString::fromStdString(T::layoutForAll(std::string(displayName(kind)))));
    if (!preview_ || preview_->layoutKind() != kind) {
        delete preview_;
        preview_ = new LayoutPreview(kind);
        preview_->setFixedSize(previewWidth, preview_->heightForWidth(previewWidth));
        previewHolder_->addWidget(preview_, 0, Qt::AlignLeft);
    }
    preview_->setCount(4);
    preview_->setOptions(settings.layoutOptions());
    mainRatio_->showValue(settings.mainRatio());
    innerGap_->showValue(settings.innerGap());
    outerGap_->showValue(settings.outerGap());
}

} // namespace morvanta
