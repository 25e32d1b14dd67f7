// RulesTab: the settings window's App Rules page: one row per rule (icon, name, the workspace
// its windows open in, Float, Border, remove), and "Add App", a menu of the running
// applications followed by a chooser over the installed desktop entries.
#pragma once

#include "app/settings/app_rule.h"
#include "app/shell/settings_window/settings_window_services.h"
#include "core/subscription.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace morvanta {

class RulesTab : public QWidget {
public:
    explicit RulesTab(const SettingsWindowServices& services, QWidget* parent = nullptr);
    ~RulesTab() override;

    // Adds a rule for the application unless one already names it.
    void addRule(const RuleApplication& application);
    void removeRule(std::size_t index);
    // What "Add App" offers before its chooser.
    std::vector<RuleApplication> runningApplications() const;
    QMenu* addMenu() const { return addMenu_; }

    // The application a desktop entry describes: StartupWMClass (else the file name without
    // ".desktop") and its Name (else that identifier). None when the file is not a readable
    // desktop entry.
    static std::optional<RuleApplication> readDesktopEntry(const std::filesystem::path& path);

private:
    void buildRows();
    QWidget* ruleRow(std::size_t index);
    void fillAddMenu();
    void chooseApplication();
    void changeRule(std::size_t index, const std::function<void(AppRule&)>& change);

    const SettingsWindowServices& services_;
    Subscription settingsObserver_;
    QVBoxLayout* rows_;
    std::vector<QWidget*> rowWidgets_;
    QLabel* empty_;
    QPushButton* addButton_;
    QMenu* addMenu_;
};

} // namespace morvanta
