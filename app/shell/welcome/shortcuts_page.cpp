#include "app/shell/welcome/shortcuts_page.h"

#include "app/settings/app_settings.h"
#include "app/shell/welcome/onboarding_style.h"
#include "app/shell/welcome/onboarding_texts.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace morvanta {

using T = OnboardingTexts;

ShortcutsPage::ShortcutsPage(AppSettings& settings, ShortcutText shortcutText, QWidget* parent)
    : QWidget(parent), settings_(settings), shortcutText_(std::move(shortcutText)) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(14);
    layout->addWidget(onboarding::titleLabel(T::shortcutsTitle));
    layout->addWidget(onboarding::bodyLabel(T::shortcutsText));

    auto* group = new QButtonGroup(this);
    const std::array<const char*, 3> texts = {T::standardChoice, T::saferChoice,
                                              T::noShortcutsChoice};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        choices_[i] = new QRadioButton(QString::fromUtf8(texts[i]));
        group->addButton(choices_[i]);
        layout->addWidget(choices_[i]);
        const auto choice = static_cast<Choice>(i);
        connect(choices_[i], &QRadioButton::clicked, this, [this, choice] { choose(choice); });
    }

    layout->addSpacing(10);
    auto* learn = new QLabel(QString::fromUtf8(T::learnTitle));
    QFont bold = learn->font();
    bold.setBold(true);
    learn->setFont(bold);
    layout->addWidget(learn);
    auto* form = new QFormLayout;
    form->setHorizontalSpacing(24);
    const std::array<const char*, 3> titles = {T::searchEveryAction, T::goToWorkspace2,
                                               T::sendToWorkspace2};
    for (std::size_t i = 0; i < titles.size(); ++i) {
        bindings_[i] = new QLabel;
        bindings_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromUtf8(titles[i]), bindings_[i]);
    }
    layout->addLayout(form);
    layout->addStretch();

    // The settings window may change the same switches while the guide is open.
    settingsObserver_ = settings_.addObserver([this](SettingsField field) {
        if (field == SettingsField::shortcutsEnabled || field == SettingsField::shortcutStyle)
            showSettings();
    });
    showSettings();
}

ShortcutsPage::~ShortcutsPage() = default;

void ShortcutsPage::choose(Choice choice) {
    if (choice == Choice::none) {
        settings_.setShortcutsEnabled(false);
    } else {
        settings_.setShortcutsEnabled(true);
        settings_.setShortcutStyle(choice == Choice::safer ? ShortcutStyle::controlOption
                                                           : ShortcutStyle::option);
    }
    // The style's follow-up has rebound the shortcuts by now.
    showSettings();
}

ShortcutsPage::Choice ShortcutsPage::currentChoice() const {
    if (!settings_.shortcutsEnabled())
        return Choice::none;
    return settings_.shortcutStyle() == ShortcutStyle::controlOption ? Choice::safer
                                                                     : Choice::standard;
}

std::array<QString, 3> ShortcutsPage::shownBindings() const {
    return {bindings_[0]->text(), bindings_[1]->text(), bindings_[2]->text()};
}

void ShortcutsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showSettings();
}

void ShortcutsPage::showSettings() {
    choices_[static_cast<std::size_t>(currentChoice())]->setChecked(true);
    for (std::size_t i = 0; i < learnNames.size(); ++i) {
        const std::string text = shortcutText_ ? shortcutText_(learnNames[i]) : std::string();
        bindings_[i]->setText(text.empty() ? QString::fromUtf8(T::unbound)
                                           : QString::fromStdString(text));
    }
}

} // namespace morvanta
