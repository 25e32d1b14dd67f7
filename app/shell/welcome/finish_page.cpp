#include "app/shell/welcome/finish_page.h"

#include "app/settings/app_settings.h"
#include "app/shell/welcome/onboarding_style.h"
#include "app/shell/welcome/onboarding_texts.h"
#include "app/shell/welcome/status_marker.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace morvanta {

using T = OnboardingTexts;

namespace {

QWidget* markedText(StatusMarker::Kind kind, const char* text, const char* second = nullptr) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(new StatusMarker(kind), 0, Qt::AlignTop);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(6);
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setWordWrap(true);
    lines->addWidget(label);
    if (second)
        lines->addWidget(onboarding::secondaryLabel(second));
    layout->addLayout(lines, 1);
    return row;
}

} // namespace

FinishPage::FinishPage(AppSettings& settings, WindowManagerCheck anotherWindowManager,
                       QWidget* parent)
    : QWidget(parent), settings_(settings), anotherWindowManager_(std::move(anotherWindowManager)),
      launchAtLogin_(new QCheckBox(QString::fromUtf8(T::launchAtLoginToggle))),
      border_(new QCheckBox(QString::fromUtf8(T::borderToggle))),
      warning_(markedText(StatusMarker::Kind::warning, T::anotherWindowManager)) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(14);
    layout->addWidget(launchAtLogin_);
    layout->addWidget(border_);
    layout->addWidget(warning_);
    layout->addSpacing(10);
    layout->addWidget(markedText(StatusMarker::Kind::check, T::whereItLives, T::cantSeeIt));
    layout->addStretch();

    connect(launchAtLogin_, &QCheckBox::clicked, this, [this](bool on) {
        settings_.setLaunchAtLogin(on);
        // A change that failed leaves the autostart entry as it was; show what is real.
        launchAtLogin_->setChecked(settings_.launchAtLogin());
    });
    connect(border_, &QCheckBox::clicked, this,
            [this](bool on) { settings_.setBorderEnabled(on); });
    showSettings();
}

bool FinishPage::warningShown() const {
    return !warning_->isHidden();
}

void FinishPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showSettings();
}

void FinishPage::showSettings() {
    launchAtLogin_->setChecked(settings_.launchAtLogin());
    border_->setChecked(settings_.borderEnabled());
    warning_->setVisible(anotherWindowManager_ && anotherWindowManager_());
}

} // namespace morvanta
