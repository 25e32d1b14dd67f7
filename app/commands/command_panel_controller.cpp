// CommandPanelController: the panel's life: open, toggle, close, run.
#include "app/commands/command_panel_controller.h"

#include "app/commands/key_panel.h"
#include "app/controller/run_loop.h"
#include "ax/own_window_placer.h"
#include "ax/window_list.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

namespace morvanta {

CommandPanelController::CommandPanelController(TilingController& controller, AppSettings& settings,
                                               WindowList& windows, RunLoop& loop,
                                               PanelCallbacks callbacks)
    : controller_(controller), windows_(windows), loop_(loop),
      builder_(controller, settings, std::move(callbacks), apps_), self_(this) {}

CommandPanelController::~CommandPanelController() {
    self_.end();
    delete panel_.data();
}

bool CommandPanelController::isShown() const {
    return panel_ && panel_->isVisible();
}

std::vector<PanelItem> CommandPanelController::items(Mode mode) const {
    return mode == Mode::actions ? builder_.actionItems() : builder_.workspaceItems();
}

void CommandPanelController::show(Mode mode) {
    if (isShown()) {
        forgetPanel();
        refocus();
        return;
    }
    forgetPanel();
    previousWindow_ = windows_.focused();

    const auto weak = self_.ref();
    auto* view = new CommandPanelView(
        mode == Mode::actions ? actionsPlaceholder : workspacesPlaceholder, items(mode),
        [weak](const PanelItem& item) {
            if (auto* self = weak.get())
                self->runItem(item);
        },
        [weak] {
            if (auto* self = weak.get())
                self->hide(true);
        });
    auto* panel = new KeyPanel(view);

    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        panel->move(KeyPanel::originOn(screen->availableGeometry()));

    panel_ = panel;
    view_ = view;
    panel->show();
    if (placer_)
        placer_->centreOnPointerScreen(KeyPanel::caption, KeyPanel::topFraction);
    panel->raise();
    panel->activateWindow();
    view->searchField()->setFocus(Qt::ActiveWindowFocusReason);
}

void CommandPanelController::hide(bool refocusPrevious) {
    forgetPanel();
    if (refocusPrevious)
        refocus();
}

void CommandPanelController::runItem(const PanelItem& item) {
    auto run = item.run;
    hide(true);
    if (run)
        loop_.after(runDelay, std::move(run));
}

void CommandPanelController::forgetPanel() {
    if (panel_) {
        panel_->hide();
        // Later: this may run inside one of the panel's own key events.
        panel_->deleteLater();
    }
    panel_ = nullptr;
    view_ = nullptr;
}

void CommandPanelController::refocus() {
    if (previousWindow_)
        previousWindow_->focus();
}

} // namespace morvanta
