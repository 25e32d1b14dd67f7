#include "app/shell/settings_window/advanced_tab.h"

#include "app/controller/tiling_controller.h"
#include "app/shell/settings_window/settings_style.h"
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/settings_window_services.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace morvanta {

using T = SettingsTexts;

namespace {

QPushButton* actionButton(const char* text, QWidget* owner, std::function<void()> action) {
    auto* button = new QPushButton(text);
    QObject::connect(button, &QPushButton::clicked, owner, [action = std::move(action)] {
        if (action)
            action();
    });
    return button;
}

} // namespace

AdvancedTab::AdvancedTab(const SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent) {
    auto* column = settings_ui::pageColumn(this);
    column->addWidget(settings_ui::sectionTitle(T::backup));
    column->addWidget(settings_ui::note(T::backupText));
    auto* backupRow = new QHBoxLayout;
    backupRow->addWidget(actionButton(T::exportSettings, this, services.exportSettings));
    backupRow->addWidget(actionButton(T::importSettings, this, services.importSettings));
    backupRow->addStretch();
    column->addLayout(backupRow);
    column->addSpacing(10);
    column->addWidget(settings_ui::sectionTitle(T::help));
    auto* helpRow = new QHBoxLayout;
    helpRow->addWidget(actionButton(T::showWelcome, this, services.showOnboarding));
    helpRow->addWidget(actionButton(T::diagnostics, this, services.showDiagnostics));
    TilingController* controller = &services.controller;
    helpRow->addWidget(
        actionButton(T::bringBack, this, [controller] { controller->commands().setPaused(true); }));
    helpRow->addStretch();
    column->addLayout(helpRow);
    column->addStretch();
}

} // namespace morvanta
