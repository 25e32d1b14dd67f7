#include "app/shell/settings_window/shortcuts_tab.h"

#include "app/commands/shortcut_actions.h"
#include "app/shell/settings_window/settings_style.h"
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/settings_window_services.h"
#include "app/shell/settings_window/shortcut_recorder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace morvanta {

using T = SettingsTexts;

ShortcutsTab::ShortcutsTab(const SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), services_(services), enabled_(new QCheckBox(T::useShortcuts)),
      style_(new QComboBox), restore_(new QPushButton(T::restoreDefaults)), rows_(new QGridLayout) {
    auto* column = settings_ui::pageColumn(this);
    column->addWidget(enabled_);
    auto* styleRow = new QHBoxLayout;
    styleRow->addWidget(new QLabel(T::style));
    style_->addItem(T::standardStyle);
    style_->addItem(T::saferStyle);
    styleRow->addWidget(style_);
    styleRow->addStretch();
    column->addLayout(styleRow);
    column->addWidget(settings_ui::note(T::styleText));
    rows_->setColumnStretch(0, 1);
    rows_->setVerticalSpacing(4);
    column->addLayout(rows_);
    column->addWidget(restore_, 0, Qt::AlignLeft);
    column->addStretch();

    connect(enabled_, &QCheckBox::toggled, this,
            [this](bool on) { services_.settings.setShortcutsEnabled(on); });
    connect(style_, &QComboBox::activated, this, [this](int index) {
        services_.settings.setShortcutStyle(index == 1 ? ShortcutStyle::controlOption
                                                       : ShortcutStyle::option);
    });
    connect(restore_, &QPushButton::clicked, this,
            [this] { services_.shortcutActions.applyStyle(services_.settings.shortcutStyle()); });
    settingsObserver_ = services_.settings.addObserver([this](SettingsField field) {
        // The shortcut actions learn of the new letter list after the settings do, so the
        // rows are rebuilt once control is back in the event loop.
        if (field == SettingsField::letterWorkspaces)
            QTimer::singleShot(0, this, [this] { buildRows(); });
        if (field == SettingsField::shortcutsEnabled || field == SettingsField::shortcutStyle)
            showSettings();
    });
    buildRows();
    showSettings();
}

ShortcutsTab::~ShortcutsTab() = default;

void ShortcutsTab::showSettings() {
    const QSignalBlocker enabledBlocker(enabled_);
    enabled_->setChecked(services_.settings.shortcutsEnabled());
    const QSignalBlocker styleBlocker(style_);
    style_->setCurrentIndex(services_.settings.shortcutStyle() == ShortcutStyle::controlOption);
}

void ShortcutsTab::buildRows() {
    for (QWidget* w : rowWidgets_) {
        rows_->removeWidget(w);
        w->hide();
        w->deleteLater();
    }
    rowWidgets_.clear();
    recorders_.clear();
    const auto entries = services_.shortcutActions.shortcutEntries();
    KeyboardShortcuts* keys = &services_.shortcutActions.keyboardShortcuts();
    int row = 0;
    for (const ShortcutEntry& entry : entries) {
        // Another action's combination is refused here: one key must not run two actions.
        ShortcutValidator validator = [entries, name = entry.name,
                                       keys](const Shortcut& candidate) {
            for (const ShortcutEntry& other : entries)
                if (!(other.name == name) && keys->shortcutFor(other.name) == candidate)
                    return ShortcutValidation::disallow(T::alreadyUsedBy(other.title));
            return ShortcutValidation::allow();
        };
        auto* title = new QLabel(QString::fromStdString(entry.title));
        auto* recorder =
            new ShortcutRecorder(*keys, entry.name, services_.recorder, {}, std::move(validator));
        recorder->setAccessibleName(title->text());
        rows_->addWidget(title, row, 0);
        rows_->addWidget(recorder, row, 1);
        rowWidgets_.push_back(title);
        rowWidgets_.push_back(recorder);
        recorders_.push_back(recorder);
        ++row;
    }
}

ShortcutRecorder* ShortcutsTab::recorder(const std::string& name) const {
    for (ShortcutRecorder* r : recorders_)
        if (r->name().rawValue == name)
            return r;
    return nullptr;
}

} // namespace morvanta
