#include "app/shell/settings_window/settings_window.h"

#include "app/shell/settings_window/advanced_tab.h"
#include "app/shell/settings_window/appearance_tab.h"
#include "app/shell/settings_window/displays_tab.h"
#include "app/shell/settings_window/general_tab.h"
#include "app/shell/settings_window/layout_tab.h"
#include "app/shell/settings_window/rules_tab.h"
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/shortcuts_tab.h"
#include "app/shell/settings_window/workspaces_tab.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QListWidget>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>
#include <algorithm>

namespace morvanta {

namespace {

QStyle::StandardPixmap sidebarIcon(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return QStyle::SP_ComputerIcon;
    case SettingsTab::layout:
        return QStyle::SP_FileDialogDetailedView;
    case SettingsTab::workspaces:
        return QStyle::SP_FileDialogListView;
    case SettingsTab::displays:
        return QStyle::SP_DesktopIcon;
    case SettingsTab::rules:
        return QStyle::SP_FileDialogContentsView;
    case SettingsTab::shortcuts:
        return QStyle::SP_CommandLink;
    case SettingsTab::appearance:
        return QStyle::SP_DialogApplyButton;
    case SettingsTab::advanced:
        return QStyle::SP_FileDialogInfoView;
    }
    return QStyle::SP_ComputerIcon;
}

} // namespace

SettingsWindow::SettingsWindow(SettingsWindowServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)), sidebar_(new QListWidget),
      stack_(new QStackedWidget) {
    setWindowTitle(SettingsTexts::windowTitle);
    sidebar_->setFixedWidth(170);
    sidebar_->setFrameShape(QFrame::NoFrame);
    sidebar_->setIconSize(QSize(18, 18));
    sidebar_->setSpacing(2);
    sidebar_->setBackgroundRole(QPalette::AlternateBase);

    general_ = new GeneralTab(services_);
    layout_ = new LayoutTab(services_);
    workspaces_ = new WorkspacesTab(services_);
    displays_ = new DisplaysTab(services_.controller);
    rules_ = new RulesTab(services_);
    shortcuts_ = new ShortcutsTab(services_);
    appearance_ = new AppearanceTab(services_);
    advanced_ = new AdvancedTab(services_);
    addPage(SettingsTab::general, general_);
    addPage(SettingsTab::layout, layout_);
    addPage(SettingsTab::workspaces, workspaces_);
    addPage(SettingsTab::displays, displays_);
    addPage(SettingsTab::rules, rules_);
    addPage(SettingsTab::shortcuts, shortcuts_);
    addPage(SettingsTab::appearance, appearance_);
    addPage(SettingsTab::advanced, advanced_);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sidebar_);
    layout->addWidget(stack_, 1);
    connect(sidebar_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(allSettingsTabs.size()))
            showTab(allSettingsTabs[static_cast<std::size_t>(row)]);
    });
    showTab(SettingsTab::general);
}

// The pages reach the services through a reference, so they go before the services do.
SettingsWindow::~SettingsWindow() {
    delete stack_;
    stack_ = nullptr;
}

void SettingsWindow::addPage(SettingsTab tab, QWidget* page) {
    auto* item = new QListWidgetItem(style()->standardIcon(sidebarIcon(tab)),
                                     QString::fromUtf8(title(tab).data()), sidebar_);
    item->setData(Qt::UserRole, QString::fromUtf8(rawValue(tab).data()));
    pages_[tab] = page;
    if (tab == SettingsTab::displays) {
        stack_->addWidget(page);
        return;
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stack_->addWidget(scroll);
}

void SettingsWindow::showTab(SettingsTab tab) {
    tab_ = tab;
    const int row = static_cast<int>(
        std::find(allSettingsTabs.begin(), allSettingsTabs.end(), tab) - allSettingsTabs.begin());
    if (sidebar_->currentRow() != row)
        sidebar_->setCurrentRow(row);
    stack_->setCurrentIndex(row);
}

QWidget* SettingsWindow::page(SettingsTab tab) const {
    return pages_.at(tab);
}

} // namespace morvanta
