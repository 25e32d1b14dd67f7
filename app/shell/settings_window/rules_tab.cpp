#include "app/shell/settings_window/rules_tab.h"

#include "app/controller/tiling_controller.h"
#include "app/shell/settings_window/settings_style.h"
#include "app/shell/settings_window/settings_texts.h"
#include "core/workspace_numbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>
#include <set>

namespace morvanta {

using T = SettingsTexts;

namespace {

QIcon appIcon(const std::string& identifier, const QStyle* style) {
    const QString name = QString::fromStdString(identifier).toLower();
    const QIcon themed = QIcon::fromTheme(name);
    return themed.isNull() ? style->standardIcon(QStyle::SP_DesktopIcon) : themed;
}

} // namespace

std::optional<RuleApplication> RulesTab::readDesktopEntry(const std::filesystem::path& path) {
    if (path.extension() != ".desktop")
        return std::nullopt;
    std::ifstream in(path);
    if (!in)
        return std::nullopt;
    std::string line;
    std::string name;
    std::string wmClass;
    bool inEntry = false;
    bool sawEntry = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            sawEntry = sawEntry || inEntry;
            continue;
        }
        if (!inEntry)
            continue;
        if (line.starts_with("Name=") && name.empty())
            name = line.substr(5);
        else if (line.starts_with("StartupWMClass="))
            wmClass = line.substr(15);
    }
    if (!sawEntry)
        return std::nullopt;
    RuleApplication app;
    app.identifier = wmClass.empty() ? path.stem().string() : wmClass;
    app.name = name.empty() ? app.identifier : name;
    return app;
}

RulesTab::RulesTab(const SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), services_(services), rows_(new QVBoxLayout),
      empty_(settings_ui::note(T::noRules)), addButton_(new QPushButton(T::addApp)),
      addMenu_(new QMenu(this)) {
    auto* column = settings_ui::pageColumn(this);
    column->addWidget(settings_ui::text(T::rulesHeader));
    column->addWidget(empty_);
    rows_->setSpacing(6);
    column->addLayout(rows_);
    addButton_->setMenu(addMenu_);
    column->addWidget(addButton_, 0, Qt::AlignLeft);
    column->addStretch();
    connect(addMenu_, &QMenu::aboutToShow, this, [this] { fillAddMenu(); });
    settingsObserver_ = services_.settings.addObserver([this](SettingsField field) {
        if (field == SettingsField::appRules || field == SettingsField::letterWorkspaces)
            buildRows();
    });
    buildRows();
    fillAddMenu();
}

RulesTab::~RulesTab() = default;

std::vector<RuleApplication> RulesTab::runningApplications() const {
    if (services_.runningApplications)
        return services_.runningApplications();
    std::vector<RuleApplication> apps;
    std::set<std::string> seen;
    for (const auto& [id, window] : services_.controller.registry().allWindows()) {
        const auto identifier = window.bundleIdentifier();
        if (!identifier || identifier->empty() || !seen.insert(*identifier).second)
            continue;
        apps.push_back({*identifier, window.appName()});
    }
    std::ranges::sort(apps, {}, &RuleApplication::name);
    return apps;
}

void RulesTab::fillAddMenu() {
    addMenu_->clear();
    for (const RuleApplication& app : runningApplications())
        addMenu_->addAction(appIcon(app.identifier, style()), QString::fromStdString(app.name),
                            this, [this, app] { addRule(app); });
    addMenu_->addSeparator();
    addMenu_->addAction(T::chooseApplication, this, [this] { chooseApplication(); });
}

void RulesTab::chooseApplication() {
    std::optional<RuleApplication> chosen;
    if (services_.chooseApplication) {
        chosen = services_.chooseApplication();
    } else {
        const QString file = QFileDialog::getOpenFileName(
            this, T::chooseApplication, T::applicationsFolder, "Applications (*.desktop)");
        if (!file.isEmpty())
            chosen = readDesktopEntry(file.toStdString());
    }
    if (chosen)
        addRule(*chosen);
}

void RulesTab::addRule(const RuleApplication& application) {
    auto rules = services_.settings.appRules();
    // A second rule for the same app would never be used: the first one wins.
    if (std::ranges::any_of(rules,
                            [&](const AppRule& r) { return r.bundleID == application.identifier; }))
        return;
    rules.push_back({application.identifier, application.name, std::nullopt, false, false});
    services_.settings.setAppRules(std::move(rules));
}

void RulesTab::removeRule(std::size_t index) {
    auto rules = services_.settings.appRules();
    if (index >= rules.size())
        return;
    rules.erase(rules.begin() + static_cast<std::ptrdiff_t>(index));
    services_.settings.setAppRules(std::move(rules));
}

void RulesTab::changeRule(std::size_t index, const std::function<void(AppRule&)>& change) {
    auto rules = services_.settings.appRules();
    if (index >= rules.size())
        return;
    change(rules[index]);
    services_.settings.setAppRules(std::move(rules));
}

void RulesTab::buildRows() {
    for (QWidget* row : rowWidgets_) {
        row->hide();
        row->deleteLater();
    }
    rowWidgets_.clear();
    const auto& rules = services_.settings.appRules();
    empty_->setVisible(rules.empty());
    for (std::size_t i = 0; i < rules.size(); ++i) {
        QWidget* row = ruleRow(i);
        rows_->addWidget(row);
        rowWidgets_.push_back(row);
    }
}

QWidget* RulesTab::ruleRow(std::size_t index) {
    const AppRule rule = services_.settings.appRules()[index];
    auto* row = new QWidget;
    auto* icon = new QLabel;
    const int size = style()->pixelMetric(QStyle::PM_LargeIconSize);
    icon->setPixmap(appIcon(rule.bundleID, style()).pixmap(size, size));
    auto* name = new QLabel(QString::fromStdString(rule.appName));
    name->setToolTip(QString::fromStdString(rule.bundleID));

    auto* workspace = new QComboBox;
    workspace->addItem(T::anyWorkspace, 0);
    for (int number : services_.controller.manager().allWorkspaceNumbers())
        workspace->addItem(QString::fromStdString(workspaceLabel(number)), number);
    workspace->setCurrentIndex(std::max(0, workspace->findData(rule.workspace.value_or(0))));
    workspace->setAccessibleName(T::openIn);
    connect(workspace, &QComboBox::activated, this, [this, index, workspace](int i) {
        const int number = workspace->itemData(i).toInt();
        changeRule(index, [number](AppRule& r) {
            r.workspace = number == 0 ? std::nullopt : std::optional<int>(number);
        });
    });
    auto* floating = new QCheckBox(T::floatToggle);
    floating->setChecked(rule.floating);
    connect(floating, &QCheckBox::toggled, this,
            [this, index](bool on) { changeRule(index, [on](AppRule& r) { r.floating = on; }); });
    auto* border = new QCheckBox(T::borderToggle);
    border->setChecked(!rule.noBorder);
    connect(border, &QCheckBox::toggled, this,
            [this, index](bool on) { changeRule(index, [on](AppRule& r) { r.noBorder = !on; }); });
    auto* remove = new QToolButton;
    remove->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    remove->setAutoRaise(true);
    const QString removeLabel = QString::fromStdString(T::removeRuleLabel(rule.appName));
    remove->setAccessibleName(removeLabel);
    remove->setToolTip(removeLabel);
    connect(remove, &QToolButton::clicked, this, [this, index] { removeRule(index); });

    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(icon);
    layout->addWidget(name, 1);
    layout->addWidget(new QLabel(T::openIn));
    layout->addWidget(workspace);
    layout->addWidget(floating);
    layout->addWidget(border);
    layout->addWidget(remove);
    return row;
}

} // namespace morvanta
