// A tiling controller on the fake desktop for the tray's tests: screens, windows and trust as
// each test sets them up, settings and the log in memory, a virtual clock, and an updater built
// with or without a signing key.
#pragma once

#include "app/controller/manual_run_loop.h"
#include "app/controller/tiling_controller.h"
#include "app/settings/memory_preferences_domain.h"
#include "app/shell/updates/updater.h"
#include "ax/fake/fake_desktop.h"
#include "ax/fake/fake_window_system.h"

#include <QAction>
#include <QMenu>
#include <QStringList>
#include <chrono>
#include <memory>

namespace morvanta::testing {

class SilentPresenter : public UpdatePresenter {
public:
    void presentOffer(const UpdateOffer&) override {}
    void presentUpToDate(const std::string&) override {}
    void presentFailure(const std::string&, const std::string&) override {}
};

struct TrayDesktop {
    explicit TrayDesktop(int screens = 1) {
        desktop.addScreen(FakeDesktop::makeScreen("S1", {0, 0, 1200, 800}));
        if (screens > 1)
            desktop.addScreen(FakeDesktop::makeScreen("S2", {1200, 0, 1000, 800}));
        app = desktop.addApp("Editor", "org.example.Editor");
    }
    TilingController& start() {
        controller = std::make_unique<TilingController>(desktop.system(), loop, log, settings);
        controller->start();
        settle();
        return *controller;
    }
    void settle() { loop.advance(std::chrono::milliseconds(300)); }

    FakeDesktop desktop;
    ManualRunLoop loop;
    DiagnosticsLog log{std::nullopt};
    MemoryPreferencesDomain domain;
    AppSettings settings{domain};
    SilentPresenter presenter;
    Updater updater{UpdaterConfiguration{}, domain, log, presenter};
    std::unique_ptr<TilingController> controller;
    std::int32_t app = 0;
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
