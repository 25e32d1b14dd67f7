// ShortcutsTab: the settings window's Shortcuts page: the master switch, the style (changing
// it rebinds every action to that style's defaults), one recorder per action and "Restore
// Defaults". A recorder refuses a combination another action already uses, so one key never
// runs two actions.
#pragma once

#include "app/settings/shortcut_style.h"
#include "core/subscription.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QPushButton;

namespace morvanta {

class ShortcutRecorder;
struct SettingsWindowServices;

class ShortcutsTab : public QWidget {
public:
    explicit ShortcutsTab(const SettingsWindowServices& services, QWidget* parent = nullptr);
    ~ShortcutsTab() override;

    QCheckBox* enabledToggle() const { return enabled_; }
    QComboBox* stylePicker() const { return style_; }
    QPushButton* restoreButton() const { return restore_; }
    const std::vector<ShortcutRecorder*>& recorders() const { return recorders_; }
    ShortcutRecorder* recorder(const std::string& name) const;

private:
    void buildRows();
    void showSettings();

    const SettingsWindowServices& services_;
    Subscription settingsObserver_;
    QCheckBox* enabled_;
    QComboBox* style_;
    QPushButton* restore_;
    QGridLayout* rows_;
    std::vector<QWidget*> rowWidgets_;
    std::vector<ShortcutRecorder*> recorders_;
};

} // namespace morvanta
