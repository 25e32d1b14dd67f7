#include "app/shell/welcome/layout_page.h"

#include "app/controller/tiling_controller.h"
#include "app/settings/app_settings.h"
#include "app/shell/welcome/onboarding_style.h"
#include "app/shell/welcome/onboarding_texts.h"
#include "app/shell/widgets/layout_card.h"

#include <QGridLayout>
#include <QVBoxLayout>

namespace morvanta {

using T = OnboardingTexts;

LayoutPage::LayoutPage(TilingController& controller, AppSettings& settings, QWidget* parent)
    : QWidget(parent), controller_(controller), settings_(settings) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(14);
    layout->addWidget(onboarding::titleLabel(T::layoutTitle));
    layout->addWidget(onboarding::bodyLabel(T::layoutText));

    // Three cards in the first row, two in the second: five cards in one row do not fit the
    // guide's width.
    auto* grid = new QGridLayout;
    grid->setSpacing(12);
    int index = 0;
    for (LayoutKind kind : allLayoutKinds) {
        auto* card =
            new LayoutCard(kind, kind == settings_.defaultLayout(), [this, kind] { choose(kind); });
        cards_.push_back(card);
        grid->addWidget(card, index / 3, index % 3, Qt::AlignLeft | Qt::AlignTop);
        ++index;
    }
    layout->addLayout(grid);
    layout->addStretch();
}

void LayoutPage::choose(LayoutKind kind) {
    settings_.setDefaultLayout(kind);
    controller_.commands().setLayoutForAllWorkspaces(kind);
    markSelected();
}

void LayoutPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    markSelected();
}

void LayoutPage::markSelected() {
    for (LayoutCard* card : cards_)
        card->setSelected(card->layoutKind() == settings_.defaultLayout());
}

} // namespace morvanta
