// SettingsWindow: "Morvanta Settings", the one place where every setting can be changed: a
// sidebar of the eight tabs and the selected tab's page. Each control writes straight into the
// settings, whose change handler makes the controller lay the real windows out again, so
// sliders and pickers act on the windows while they move. Built once per opening; closing it
// drops the pages' transient state (messages, the open disclosure).
#pragma once

#include "app/shell/settings_window/settings_tab.h"
#include "app/shell/settings_window/settings_window_services.h"

#include <QWidget>
#include <map>

class QListWidget;
class QStackedWidget;

namespace morvanta {

class AdvancedTab;
class AppearanceTab;
class DisplaysTab;
class GeneralTab;
class LayoutTab;
class RulesTab;
class ShortcutsTab;
class WorkspacesTab;

class SettingsWindow : public QWidget {
public:
    explicit SettingsWindow(SettingsWindowServices services, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    SettingsTab tab() const { return tab_; }
    void showTab(SettingsTab tab);
    // The page of a tab (a scroll area's content for the long ones).
    QWidget* page(SettingsTab tab) const;
    QListWidget* sidebar() const { return sidebar_; }

    GeneralTab* generalTab() const { return general_; }
    LayoutTab* layoutTab() const { return layout_; }
    WorkspacesTab* workspacesTab() const { return workspaces_; }
    DisplaysTab* displaysTab() const { return displays_; }
    RulesTab* rulesTab() const { return rules_; }
    ShortcutsTab* shortcutsTab() const { return shortcuts_; }
    AppearanceTab* appearanceTab() const { return appearance_; }
    AdvancedTab* advancedTab() const { return advanced_; }

    QSize sizeHint() const override { return {860, 620}; }

private:
    void addPage(SettingsTab tab, QWidget* page);

    SettingsWindowServices services_;
    SettingsTab tab_ = SettingsTab::general;
    QListWidget* sidebar_;
    QStackedWidget* stack_;
    std::map<SettingsTab, QWidget*> pages_;
    GeneralTab* general_;
    LayoutTab* layout_;
    WorkspacesTab* workspaces_;
    DisplaysTab* displays_;
    RulesTab* rules_;
    ShortcutsTab* shortcuts_;
    AppearanceTab* appearance_;
    AdvancedTab* advanced_;
};

} // namespace morvanta
