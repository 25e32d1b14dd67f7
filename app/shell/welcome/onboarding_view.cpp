#include "app/shell/welcome/onboarding_view.h"

#include "app/settings/app_settings.h"
#include "app/shell/welcome/layout_page.h"
#include "app/shell/welcome/onboarding_style.h"
#include "app/shell/welcome/onboarding_texts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace morvanta {

using T = OnboardingTexts;

namespace {

QWidget* welcomePage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(14);
    layout->addWidget(onboarding::titleLabel(T::welcomeTitle));
    layout->addWidget(onboarding::bodyLabel(T::welcomeText));
    layout->addStretch();
    return page;
}

} // namespace

OnboardingView::OnboardingView(TilingController& controller, AppSettings& settings,
                               OnboardingActions actions, std::chrono::milliseconds relaunchDelay,
                               QWidget* parent)
    : QWidget(parent), settings_(settings), actions_(std::move(actions)),
      pages_(new QStackedWidget), next_(new QPushButton),
      permission_(new PermissionPage(
          controller, {actions_.openSessionHelp, actions_.relaunch, actions_.sessionHint},
          relaunchDelay)),
      layout_(new LayoutPage(controller, settings)),
      shortcuts_(new ShortcutsPage(settings, actions_.shortcutText)),
      finishPage_(new FinishPage(settings, actions_.anotherWindowManagerRunning)) {
    setWindowTitle(QString::fromUtf8(T::windowTitle));
    for (QWidget* page :
         {welcomePage(), static_cast<QWidget*>(permission_), static_cast<QWidget*>(layout_),
          static_cast<QWidget*>(shortcuts_), static_cast<QWidget*>(finishPage_)})
        pages_->addWidget(page);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(36, 28, 36, 24);
    layout->addWidget(pages_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    next_->setDefault(true);
    next_->setMinimumWidth(120);
    bottom->addWidget(next_);
    layout->addLayout(bottom);
    connect(next_, &QPushButton::clicked, this, [this] { advance(); });
    showStep(0);
}

QWidget* OnboardingView::page(int step) const {
    return pages_->widget(step);
}

void OnboardingView::showStep(int step) {
    step_ = std::clamp(step, 0, lastStep);
    pages_->setCurrentIndex(step_);
    next_->setText(QString::fromUtf8(step_ == lastStep ? T::getStartedButton : T::continueButton));
}

void OnboardingView::advance() {
    if (step_ < lastStep) {
        showStep(step_ + 1);
        return;
    }
    settings_.setOnboardingCompleted(true);
    if (actions_.finish)
        actions_.finish();
}

} // namespace morvanta
