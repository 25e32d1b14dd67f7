// OnboardingView: the welcome guide. Five pages, one at a time: what Morvanta does, the X11
// session it needs, a starting layout, a shortcut style, and where Morvanta lives. Every page
// but the last has "Continue"; the last has "Get Started", which marks the guide as completed
// and runs `finish`. Closing the window earlier leaves it incomplete, so it returns at the next
// launch.
//
// The guide works on the controller and settings it is given; whatever only the application can
// do (close the window, start Morvanta again, show help, print shortcuts, look at the running
// window manager) comes in as OnboardingActions.
#pragma once

#include "app/shell/welcome/finish_page.h"
#include "app/shell/welcome/permission_page.h"
#include "app/shell/welcome/shortcuts_page.h"

#include <QWidget>
#include <chrono>
#include <functional>

class QPushButton;
class QStackedWidget;

namespace morvanta {

class AppSettings;
class LayoutPage;
class TilingController;

struct OnboardingActions {
    // Closes the guide's window.
    std::function<void()> finish;
    // Starts Morvanta again (Relauncher::request); false when it could not.
    std::function<bool()> relaunch;
    // Shows help on the session Morvanta needs (the window system's openSettings).
    std::function<void()> openSessionHelp;
    // The printed binding of a shortcut name, empty when unbound.
    ShortcutsPage::ShortcutText shortcutText;
    // Whether a tiling window manager runs (runningTilingWindowManager).
    FinishPage::WindowManagerCheck anotherWindowManagerRunning;
    // In place of the permission page's usual hint; empty: that hint.
    std::string sessionHint;
};

class OnboardingView : public QWidget {
public:
    static constexpr int lastStep = 4;
    // The window's content size.
    static constexpr QSize contentSize{720, 620};

    OnboardingView(TilingController& controller, AppSettings& settings, OnboardingActions actions,
                   std::chrono::milliseconds relaunchDelay = PermissionPage::defaultRelaunchDelay,
                   QWidget* parent = nullptr);

    int step() const { return step_; }
    void showStep(int step);
    QWidget* page(int step) const;
    QPushButton* nextButton() const { return next_; }

    PermissionPage& permissionPage() const { return *permission_; }
    LayoutPage& layoutPage() const { return *layout_; }
    ShortcutsPage& shortcutsPage() const { return *shortcuts_; }
    FinishPage& finishPage() const { return *finishPage_; }

    QSize sizeHint() const override { return contentSize; }

private:
    void advance();

    AppSettings& settings_;
    OnboardingActions actions_;
    int step_ = 0;
    QStackedWidget* pages_;
    QPushButton* next_;
    PermissionPage* permission_;
    LayoutPage* layout_;
    ShortcutsPage* shortcuts_;
    FinishPage* finishPage_;
};

} // namespace morvanta
