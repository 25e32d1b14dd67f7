// The fake desktop's controller for the tray's tests, on one screen or two, with an updater
// that presents nothing.
#pragma once

#include "app/shell/updates/updater.h"
#include "tests/support/fake_desktop_controller.h"

#include <QAction>
#include <QMenu>
#include <QStringList>

namespace morvanta::testing {

class SilentPresenter : public UpdatePresenter {
public:
    void presentOffer(const UpdateOffer&) override {}
    void presentUpToDate(const std::string&) override {}
    void presentFailure(const std::string&, const std::string&) override {}
};

struct TrayDesktop : FakeDesktopController {
    explicit TrayDesktop(int screens = 1) {
        if (screens > 1)
            desktop.addScreen(FakeDesktop::makeScreen("S2", {1200, 0, 1000, 800}));
    }

    SilentPresenter presenter;
    Updater updater{UpdaterConfiguration{}, domain, log, presenter};
};

// The menu's entries top to bottom: "---" for a divider, "[x] " before a checked entry, "> "
// before a submenu, "(off) " before a disabled one.
inline QStringList entries(const QMenu& menu) {
    QStringList out;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            out << "---";
            continue;
        }
        QString text;
        if (!action->isEnabled())
            text += "(off) ";
        if (action->menu())
            text += "> ";
        if (action->isChecked())
            text += "[x] ";
        out << text + action->text();
    }
    return out;
}

inline QAction* findAction(const QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace morvanta::testing
