// The welcome guide over the fake desktop's controller, with a stand-in for the hot-key service
// that prints the three bindings for the current style.
#pragma once

#include "app/shell/welcome/onboarding_view.h"
#include "tests/support/fake_desktop_controller.h"
#include "tests/support/gui_application.h"

#include <QAbstractButton>
#include <QLabel>
#include <memory>
#include <string>

namespace morvanta::testing {

class WelcomeTest : public FakeDesktopControllerTest {
protected:
    WelcomeTest() { guiApplication(); }

    // What the hot-key service would print for the three names in the current style.
    std::string shortcutText(const std::string& name) const {
        const std::string mods =
            settings.shortcutStyle() == ShortcutStyle::controlOption ? "Ctrl+Alt+" : "Alt+";
        if (name == "commandPalette")
            return mods + "Shift+;";
        if (name == "switchToWorkspace2")
            return mods + "2";
        if (name == "moveToWorkspace2")
            return unboundMove ? std::string() : mods + "Shift+2";
        return {};
    }

    std::unique_ptr<OnboardingView> makeView(std::chrono::milliseconds relaunchDelay = 0ms) {
        OnboardingActions actions;
        actions.finish = [this] { ++finished; };
        actions.relaunch = [this] {
            ++relaunches;
            return relaunchWorks;
        };
        actions.openSessionHelp = [this] { ++helpOpened; };
        actions.shortcutText = [this](const std::string& name) { return shortcutText(name); };
        actions.anotherWindowManagerRunning = [this] { return tilingWindowManager; };
        actions.sessionHint = sessionHint;
        auto view = std::make_unique<OnboardingView>(*controller, settings, actions, relaunchDelay);
        view->resize(OnboardingView::contentSize);
        view->show();
        QApplication::processEvents();
        return view;
    }

    // The visible texts of a page's labels and buttons, joined by newlines.
    static QString visibleTexts(QWidget* page) {
        QStringList texts;
        for (auto* label : page->findChildren<QLabel*>())
            if (label->isVisibleTo(page))
                texts << label->text();
        for (auto* button : page->findChildren<QAbstractButton*>())
            if (button->isVisibleTo(page))
                texts << button->text();
        return texts.join('\n');
    }
    static QAbstractButton* button(QWidget* page, const char* text) {
        for (auto* b : page->findChildren<QAbstractButton*>())
            if (b->text() == QString::fromUtf8(text))
                return b;
        return nullptr;
    }

    int finished = 0;
    int relaunches = 0;
    int helpOpened = 0;
    bool relaunchWorks = true;
    bool tilingWindowManager = false;
    std::string sessionHint;
    bool unboundMove = false;
};

} // namespace morvanta::testing
