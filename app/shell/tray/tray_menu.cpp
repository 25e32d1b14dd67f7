#include "app/shell/tray/tray_menu.h"

#include "core/layout_kind.h"
#include "core/workspace_numbers.h"

#include <QActionGroup>
#include <QApplication>
#include <QStyle>
#include <QTimer>

namespace morvanta {

namespace {

constexpr LayoutKind layoutOrder[] = {LayoutKind::columns, LayoutKind::rows, LayoutKind::mainStack,
                                      LayoutKind::grid, LayoutKind::monocle};

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TrayMenu::TrayMenu(TilingController& controller, AppSettings& settings, Updater& updater,
                   TrayActions actions)
    : controller_(controller), settings_(settings), updater_(updater), actions_(std::move(actions)),
      menu_(std::make_unique<QMenu>()) {
    auto follow = [this](auto& published) {
        subscriptions_.push_back(published.addObserver([this](const auto&) { scheduleRebuild(); }));
    };
    follow(controller_.isTrusted());
    follow(controller_.isPaused());
    follow(controller_.summaries());
    follow(controller_.currentNumber());
    subscriptions_.push_back(settings_.addObserver([this](SettingsField field) {
        if (field == SettingsField::workspaceNames ||
            field == SettingsField::letterWorkspaceNames ||
            field == SettingsField::letterWorkspaces)
            scheduleRebuild();
    }));

    rebuild();
}

TrayMenu::~TrayMenu() {
    subscriptions_.clear();
}

std::string TrayMenu::entryText(const std::string& displayName, int windowCount) {
    const std::string count = windowCount == 0   ? "empty"
                              : windowCount == 1 ? "1 window"
                                                 : std::to_string(windowCount) + " windows";
    return displayName + "  ·  " + count;
}

void TrayMenu::scheduleRebuild() {
    if (rebuildPending_)
        return;
    rebuildPending_ = true;
    QTimer::singleShot(0, this, [this] { rebuild(); });
}

void TrayMenu::rebuild() {
    rebuildPending_ = false;
    menu_->clear();
    const auto& summaries = controller_.summaries().get();
    for (const auto& summary : summaries)
        addDisplay(summary, summaries.size() >= 2);
    addMoveMenu();
    QAction* pause = menu_->addAction("Pause Tiling (Show All Windows)");
    pause->setCheckable(true);
    pause->setChecked(controller_.isPaused().get());
    QObject::connect(pause, &QAction::toggled, this,
                     [this](bool on) { controller_.commands().setPaused(on); });
    menu_->addSeparator();
    if (!controller_.isTrusted().get())
        addPermissionBlock();
    addCommands();
}

void TrayMenu::addDisplay(const DisplaySummary& summary, bool withHeading) {
    if (withHeading) {
        QAction* heading = menu_->addAction(qs(summary.name));
        heading->setEnabled(false);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        heading->setProperty("morvantaHeading", true);
    }
    auto* workspaces = new QActionGroup(menu_.get());
    workspaces->setExclusive(true);
    for (const int number : summary.numbers) {
        const auto count = summary.counts.find(number);
        QAction* entry =
            menu_->addAction(qs(entryText(settings_.workspaceDisplayName(number),
                                          count == summary.counts.end() ? 0 : count->second)));
        entry->setCheckable(true);
        entry->setChecked(number == summary.activeNumber);
        workspaces->addAction(entry);
        QObject::connect(entry, &QAction::triggered, this,
                         [this, number] { controller_.commands().switchToWorkspace(number); });
    }

    QMenu* layouts = menu_->addMenu("Layout");
    auto* choices = new QActionGroup(layouts);
    choices->setExclusive(true);
    for (const LayoutKind kind : layoutOrder) {
        QAction* choice = layouts->addAction(qs(std::string(displayName(kind))));
        choice->setCheckable(true);
        choice->setChecked(kind == summary.layout);
        choices->addAction(choice);
        QObject::connect(choice, &QAction::triggered, this, [this, kind, id = summary.id] {
            controller_.commands().setLayout(kind, id);
        });
    }
    menu_->addSeparator();
}

void TrayMenu::addMoveMenu() {
    QMenu* move = menu_->addMenu("Move Window to Workspace");
    for (const int number : controller_.manager().allWorkspaceNumbers()) {
        QAction* command = move->addAction(qs("Workspace " + workspaceLabel(number)));
        QObject::connect(command, &QAction::triggered, this,
                         [this, number] { controller_.commands().moveFocusedWindow(number); });
    }
}

void TrayMenu::addPermissionBlock() {
    QAction* notice = menu_->addAction(
        QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning), permissionText);
    notice->setEnabled(false);
    QAction* fix = menu_->addAction(permissionCommand);
    QObject::connect(fix, &QAction::triggered, this, [this] { controller_.requestPermission(); });
    menu_->addSeparator();
}

void TrayMenu::addCommands() {
    auto command = [this](const QString& title, const std::function<void()>& action) {
        QAction* item = menu_->addAction(title);
        QObject::connect(item, &QAction::triggered, this, [action] {
            if (action)
                action();
        });
        return item;
    };
    command("Settings…", actions_.openSettings)->setShortcut(QKeySequence("Ctrl+,"));
    const bool updates = updater_.isAvailable();
    QAction* update = command(updates ? "Check for Updates…" : "Check for Updates (after launch)",
                              [this] { updater_.checkForUpdates(); });
    update->setEnabled(updates);
    command("Diagnostics…", actions_.openDiagnostics);
    command("Contact Support…", actions_.contactSupport);
    command("Quit Morvanta", actions_.quit)->setShortcut(QKeySequence("Ctrl+Q"));
}

} // namespace morvanta
