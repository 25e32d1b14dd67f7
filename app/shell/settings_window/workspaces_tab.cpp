#include "app/shell/settings_window/workspaces_tab.h"

#include "app/commands/shortcut_actions.h"
#include "app/controller/tiling_controller.h"
#include "app/shell/settings_window/settings_style.h"
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/settings_window_services.h"
#include "core/workspace_numbers.h"
#include "shortcuts/modifiers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace morvanta {

using T = SettingsTexts;

namespace {

QString label(int number) {
    return QString::fromStdString(workspaceLabel(number));
}

QLabel* header(const char* text) {
    auto* label = new QLabel(text);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

WorkspacesTab::WorkspacesTab(const SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), services_(services), table_(new QGridLayout), disclosure_(new QToolButton),
      advanced_(new QWidget), addButton_(new QPushButton(T::addWorkspace)),
      addMenu_(new QMenu(this)), message_(settings_ui::text({})) {
    auto* column = settings_ui::pageColumn(this);
    column->addWidget(settings_ui::text(T::workspacesHeader));
    table_->setHorizontalSpacing(10);
    table_->setColumnStretch(1, 1);
    column->addLayout(table_);
    column->addWidget(message_);
    message_->hide();

    disclosure_->setText(T::advanced);
    disclosure_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    disclosure_->setAutoRaise(true);
    disclosure_->setCheckable(true);
    connect(disclosure_, &QToolButton::toggled, this, [this](bool on) { setAdvancedShown(on); });
    column->addWidget(disclosure_, 0, Qt::AlignLeft);

    auto* advancedColumn = new QVBoxLayout(advanced_);
    advancedColumn->setContentsMargins(18, 0, 0, 0);
    advancedColumn->addWidget(settings_ui::sectionTitle(T::letterWorkspaces));
    advancedColumn->addWidget(settings_ui::note(T::letterWorkspacesText));
    addButton_->setMenu(addMenu_);
    advancedColumn->addWidget(addButton_, 0, Qt::AlignLeft);
    column->addWidget(advanced_);
    column->addStretch();
    connect(addMenu_, &QMenu::aboutToShow, this, [this] { fillAddMenu(); });
    setAdvancedShown(false);

    settingsObserver_ = services_.settings.addObserver([this](SettingsField field) {
        if (field == SettingsField::letterWorkspaces || field == SettingsField::shortcutStyle)
            buildRows();
    });
    summariesObserver_ = services_.controller.summaries().addObserver(
        [this](const std::vector<DisplaySummary>&) { showCounts(); });
    buildRows();
    fillAddMenu();
}

WorkspacesTab::~WorkspacesTab() = default;

void WorkspacesTab::setAdvancedShown(bool shown) {
    if (disclosure_->isChecked() != shown)
        disclosure_->setChecked(shown);
    disclosure_->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
    advanced_->setVisible(shown);
}

std::vector<int> WorkspacesTab::offeredLetters() const {
    const auto& existing = services_.settings.letterWorkspaces();
    std::vector<int> letters;
    for (int number = firstLetterWorkspace; number <= lastLetterWorkspace; ++number)
        if (std::ranges::find(existing, number) == existing.end())
            letters.push_back(number);
    return letters;
}

void WorkspacesTab::fillAddMenu() {
    addMenu_->clear();
    for (int number : offeredLetters())
        addMenu_->addAction(label(number), this, [this, number] { addLetter(number); });
}

void WorkspacesTab::addLetter(int number) {
    const LetterShortcutsAssigned assigned = services_.controller.addLetterWorkspace(number);
    const std::string letter = workspaceLabel(number);
    if (assigned.switchAssigned && assigned.moveAssigned) {
        auto& keys = services_.shortcutActions.keyboardShortcuts();
        auto text = [&](const KeyboardShortcuts::Name& name) {
            const auto shortcut = keys.shortcutFor(name);
            if (!shortcut)
                return std::string();
            return services_.recorder.shortcutText
                       ? services_.recorder.shortcutText(*shortcut)
                       : modifierPrefix(shortcut->carbonModifiers) + letter;
        };
        setMessage(QString::fromStdString(
            T::addedBoth(letter, text(ShortcutActions::switchShortcutName(number)),
                         text(ShortcutActions::moveShortcutName(number)))));
    } else if (!assigned.switchAssigned && !assigned.moveAssigned) {
        setMessage(QString::fromStdString(T::addedNeither(letter)));
    } else {
        setMessage(QString::fromStdString(T::addedOne(letter)));
    }
    buildRows();
    fillAddMenu();
}

void WorkspacesTab::removeLetter(int number) {
    services_.controller.removeLetterWorkspace(number);
    setMessage(QString::fromStdString(T::removed(workspaceLabel(number))));
    buildRows();
    fillAddMenu();
}

QString WorkspacesTab::message() const {
    return message_->text();
}

void WorkspacesTab::setMessage(const QString& text) {
    message_->setText(text);
    message_->setVisible(!text.isEmpty());
}

void WorkspacesTab::buildRows() {
    // Deleted later: a row's own Remove button may be what asked for the rebuild.
    for (QWidget* w : rowWidgets_) {
        table_->removeWidget(w);
        w->setObjectName({});
        w->hide();
        w->deleteLater();
    }
    rowWidgets_.clear();
    rowNumbers_.clear();
    countLabels_.clear();
    const char* headers[] = {"#", "Name", "Windows", "Shortcut", ""};
    for (int column = 0; column < 5; ++column) {
        auto* cell = header(headers[column]);
        table_->addWidget(cell, 0, column);
        rowWidgets_.push_back(cell);
    }
    std::vector<int> numbers;
    for (int n = 1; n <= 9; ++n)
        numbers.push_back(n);
    auto letters = services_.settings.letterWorkspaces();
    std::ranges::sort(letters);
    numbers.insert(numbers.end(), letters.begin(), letters.end());
    for (std::size_t i = 0; i < numbers.size(); ++i)
        addRow(static_cast<int>(i) + 1, numbers[i]);
    showCounts();
}

QString WorkspacesTab::switchShortcutText(int number) const {
    const auto shortcut = services_.shortcutActions.keyboardShortcuts().shortcutFor(
        ShortcutActions::switchShortcutName(number));
    if (!shortcut)
        return {};
    if (services_.recorder.shortcutText)
        return QString::fromStdString(services_.recorder.shortcutText(*shortcut));
    return QString::fromStdString(modifierPrefix(shortcut->carbonModifiers)) + label(number);
}

void WorkspacesTab::addRow(int row, int number) {
    rowNumbers_.push_back(number);
    auto* numberLabel = new QLabel(label(number));
    QFont bold = numberLabel->font();
    bold.setBold(true);
    numberLabel->setFont(bold);

    auto* name = new QLineEdit(QString::fromStdString(services_.settings.workspaceName(number)));
    name->setObjectName(QString("name-%1").arg(number));
    // Letter workspaces read as "Workspace C", not by their internal number.
    name->setPlaceholderText(isDigitWorkspace(number)
                                 ? QString::fromStdString(T::namePlaceholder(number))
                                 : "Workspace " + label(number));
    // The name is stored as typed; spaces alone make no name.
    connect(name, &QLineEdit::textEdited, this, [this, number](const QString& text) {
        const QString typed = text.trimmed().isEmpty() ? QString() : text;
        services_.settings.setWorkspaceName(typed.toStdString(), number);
    });

    auto* count = new QLabel;
    count->setAlignment(Qt::AlignCenter);
    count->setProperty("workspace", number);
    countLabels_.push_back(count);
    auto* shortcut = new QLabel(switchShortcutText(number));
    shortcut->setForegroundRole(QPalette::PlaceholderText);

    auto* picker = new QComboBox;
    picker->setObjectName(QString("layout-%1").arg(number));
    picker->setAccessibleName(isDigitWorkspace(number)
                                  ? QString::fromStdString(T::layoutPickerLabel(number))
                                  : "Layout for workspace " + label(number));
    for (LayoutKind kind : allLayoutKinds)
        picker->addItem(QString::fromUtf8(displayName(kind).data()));
    const LayoutKind current = services_.controller.manager().workspaceRecord(number).layout;
    picker->setCurrentIndex(
        static_cast<int>(std::ranges::find(allLayoutKinds, current) - allLayoutKinds.begin()));
    connect(picker, &QComboBox::activated, this,
            [this, number](int index) { setWorkspaceLayout(number, index); });

    QWidget* widgets[] = {numberLabel, name, count, shortcut, picker};
    for (int column = 0; column < 5; ++column) {
        table_->addWidget(widgets[column], row, column);
        rowWidgets_.push_back(widgets[column]);
    }
    if (isLetterWorkspace(number)) {
        auto* remove = new QToolButton;
        remove->setText(T::remove);
        remove->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
        remove->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        remove->setToolTip(QString::fromStdString(T::removeHelp(workspaceLabel(number))));
        connect(remove, &QToolButton::clicked, this, [this, number] { removeLetter(number); });
        table_->addWidget(remove, row, 5);
        rowWidgets_.push_back(remove);
    }
}

void WorkspacesTab::setWorkspaceLayout(int number, int index) {
    if (index < 0 || index >= static_cast<int>(allLayoutKinds.size()))
        return;
    const TilingController& controller = services_.controller;
    auto layouts = controller.manager().layoutStrings();
    layouts[std::to_string(number)] = std::string(rawValue(allLayoutKinds[index]));
    services_.controller.commands().reloadFromSettings(layouts,
                                                       controller.manager().assignmentStrings());
}

void WorkspacesTab::showCounts() {
    const auto& summaries = services_.controller.summaries().get();
    for (QLabel* label : countLabels_) {
        const int number = label->property("workspace").toInt();
        int count = 0;
        if (!summaries.empty())
            if (const auto it = summaries.front().counts.find(number);
                it != summaries.front().counts.end())
                count = it->second;
        label->setText(QString::number(count));
    }
}

QLineEdit* WorkspacesTab::nameField(int number) const {
    return findChild<QLineEdit*>(QString("name-%1").arg(number));
}

QComboBox* WorkspacesTab::layoutPicker(int number) const {
    return findChild<QComboBox*>(QString("layout-%1").arg(number));
}

} // namespace morvanta
