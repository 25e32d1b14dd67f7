// WorkspacesTab: the settings window's Workspaces page: one row per workspace (number, name,
// window count, switch shortcut, layout picker; letter workspaces also a Remove button), and
// under "Advanced" the letter workspaces: "Add Workspace" offers the letters that are not
// workspaces yet, and the page says which of a new letter's keys could be bound.
#pragma once

#include "core/subscription.h"

#include <QWidget>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace morvanta {

struct SettingsWindowServices;

class WorkspacesTab : public QWidget {
public:
    explicit WorkspacesTab(const SettingsWindowServices& services, QWidget* parent = nullptr);
    ~WorkspacesTab() override;

    // The letters "Add Workspace" offers now, as workspace numbers in order.
    std::vector<int> offeredLetters() const;
    void addLetter(int number);
    void removeLetter(int number);
    void setAdvancedShown(bool shown);

    QString message() const;
    QMenu* addMenu() const { return addMenu_; }
    // The rows' widgets by workspace number, in the table's order.
    std::vector<int> rowNumbers() const { return rowNumbers_; }
    QLineEdit* nameField(int number) const;
    QComboBox* layoutPicker(int number) const;

private:
    void buildRows();
    void addRow(int row, int number);
    void fillAddMenu();
    void showCounts();
    void setMessage(const QString& text);
    QString switchShortcutText(int number) const;
    void setWorkspaceLayout(int number, int index);

    const SettingsWindowServices& services_;
    Subscription settingsObserver_;
    Subscription summariesObserver_;
    QGridLayout* table_;
    std::vector<int> rowNumbers_;
    std::vector<QWidget*> rowWidgets_;
    std::vector<QLabel*> countLabels_;
    QToolButton* disclosure_;
    QWidget* advanced_;
    QPushButton* addButton_;
    QMenu* addMenu_;
    QLabel* message_;
};

} // namespace morvanta
