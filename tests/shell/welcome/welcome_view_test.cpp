// The welcome guide's pages, driven as a user would: the texts each page shows, the permission
// page following the controller, the layout, shortcut and finish choices reaching the settings,
// and "Get Started".
#include "app/shell/welcome/layout_page.h"
#include "app/shell/welcome/onboarding_texts.h"
#include "app/shell/widgets/layout_card.h"
#include "tests/shell/welcome/welcome_fixture.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <fstream>

namespace morvanta::testing {
namespace {

using T = OnboardingTexts;
using State = PermissionPage::State;

QString q(const char* text) {
    return QString::fromUtf8(text);
}
// Rich text as the label holds it; plain texts unchanged.
bool shows(const QString& texts, const char* text) {
    return texts.contains(q(text));
}

TEST_F(WelcomeTest, EveryPageShowsItsTextsAndOnlyTheLastSaysGetStarted) {
    desktop.openWindow(term, "~", {10, 10, 300, 200});
    startController();
    auto view = makeView();
    EXPECT_EQ(view->windowTitle(), q(T::windowTitle));
    EXPECT_EQ(view->sizeHint(), QSize(720, 620));

    const std::vector<std::vector<const char*>> expected = {
        {T::welcomeTitle, T::welcomeText},
        {T::permissionTitle, T::permissionText, T::permissionDoes, T::permissionNeverTitle,
         T::permissionNever, T::granted},
        {T::layoutTitle, T::layoutText, "Columns", "Rows", "Main + Stack", "Grid", "Monocle"},
        {T::shortcutsTitle, T::shortcutsText, T::standardChoice, T::saferChoice,
         T::noShortcutsChoice, T::learnTitle, T::searchEveryAction, T::goToWorkspace2,
         T::sendToWorkspace2, "Alt+Shift+;", "Alt+2", "Alt+Shift+2"},
        {T::launchAtLoginToggle, T::borderToggle, T::whereItLives, T::cantSeeIt}};
    for (int step = 0; step <= OnboardingView::lastStep; ++step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(view->step(), step);
        const QString texts = visibleTexts(view->page(step));
        for (const char* text : expected[static_cast<std::size_t>(step)])
            EXPECT_TRUE(shows(texts, text)) << text;
        EXPECT_EQ(view->nextButton()->text(),
                  q(step == OnboardingView::lastStep ? T::getStartedButton : T::continueButton));
        if (step < OnboardingView::lastStep)
            view->nextButton()->click();
    }
    // No macOS names and no modifier glyphs anywhere in the guide.
    for (int step = 0; step <= OnboardingView::lastStep; ++step)
        for (const char* word : {"macOS", "System Settings", "⌥", "⌃", "⌘", "Applications."})
            EXPECT_FALSE(visibleTexts(view->page(step)).contains(q(word))) << word;
}

TEST_F(WelcomeTest, GetStartedCompletesOnboardingAndClosingEarlierDoesNot) {
    startController();
    {
        auto view = makeView();
        view->showStep(3);
        view->nextButton()->click();
        EXPECT_EQ(view->step(), OnboardingView::lastStep);
        EXPECT_FALSE(settings.onboardingCompleted());
        EXPECT_EQ(finished, 0);
    }
    EXPECT_FALSE(settings.onboardingCompleted()); // closed before the end

    auto view = makeView();
    view->showStep(OnboardingView::lastStep);
    view->nextButton()->click();
    EXPECT_TRUE(settings.onboardingCompleted());
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(domain.boolean("onboardingCompleted"));
}

TEST_F(WelcomeTest, PermissionPageFollowsTheControllersTrustAndWindows) {
    desktop.setTrusted(false);
    startController();
    auto view = makeView(0ms);
    view->showStep(1);
    QApplication::processEvents();
    auto& page = view->permissionPage();
    QWidget* widget = view->page(1);

    // Without a session: the need, the two buttons, and the wait with its hint.
    EXPECT_EQ(page.state(), State::needed);
    EXPECT_TRUE(page.waitingSince().has_value());
    QString texts = visibleTexts(widget);
    for (const char* text : {T::permissionNeeded, T::grantPermissionButton, T::openSettingsButton,
                             T::waiting, T::waitingHint})
        EXPECT_TRUE(shows(texts, text)) << text;
    EXPECT_FALSE(shows(texts, T::granted));
    button(widget, T::openSettingsButton)->click();
    EXPECT_EQ(helpOpened, 1);

    // Trust arrives through the controller's own poll; the page needs no click. The desktop has
    // no window yet, so once the (zero) delay has passed the relaunch is offered.
    desktop.setTrusted(true);
    loop.advance(1100ms);
    EXPECT_TRUE(controller->isTrusted().get());
    QApplication::processEvents();
    EXPECT_EQ(page.state(), State::grantedNoWindows);
    texts = visibleTexts(widget);
    EXPECT_TRUE(shows(texts, T::grantedNoWindows));
    EXPECT_TRUE(shows(texts, T::relaunchButton));
    EXPECT_FALSE(shows(texts, T::permissionNeeded));

    // A failed relaunch says so and leaves everything running; a working one is asked once more.
    relaunchWorks = false;
    button(widget, T::relaunchButton)->click();
    EXPECT_TRUE(shows(visibleTexts(widget), T::relaunchFailed));
    relaunchWorks = true;
    button(widget, T::relaunchButton)->click();
    EXPECT_EQ(relaunches, 2);
    EXPECT_FALSE(shows(visibleTexts(widget), T::relaunchFailed));

    // A window appears: granted.
    desktop.openWindow(term, "~", {10, 10, 300, 200});
    loop.advance(200ms);
    EXPECT_EQ(page.state(), State::granted);
    texts = visibleTexts(widget);
    EXPECT_TRUE(shows(texts, T::granted));
    EXPECT_FALSE(shows(texts, T::relaunchButton));
}

TEST_F(WelcomeTest, PermissionGrantedAtFirstLaunchShowsReadyStraightAway) {
    desktop.openWindow(term, "~", {10, 10, 300, 200});
    startController();
    auto view = makeView(std::chrono::hours(1));
    view->showStep(1);
    QApplication::processEvents();
    EXPECT_EQ(view->permissionPage().state(), State::granted);
    EXPECT_FALSE(view->permissionPage().waitingSince().has_value());
    EXPECT_TRUE(shows(visibleTexts(view->page(1)), T::granted));
}

TEST_F(WelcomeTest, RelaunchWaitsBeforeItIsOffered) {
    // Trusted but no window yet: until the delay has passed the page still waits, so the moment
    // between trust and the first refresh never offers a relaunch. The session works, so the
    // texts for a session Morvanta cannot use stay away meanwhile.
    EXPECT_EQ(PermissionPage::stateFor(true, false, false), State::waiting);
    EXPECT_EQ(PermissionPage::stateFor(true, false, true), State::grantedNoWindows);
    EXPECT_EQ(PermissionPage::stateFor(true, true, false), State::granted);
    EXPECT_EQ(PermissionPage::stateFor(false, true, true), State::needed);

    startController();
    auto view = makeView(std::chrono::hours(1));
    view->showStep(1);
    QApplication::processEvents();
    EXPECT_EQ(view->permissionPage().state(), State::waiting);
    const QString texts = visibleTexts(view->page(1));
    for (const char* text :
         {T::waiting, T::waitingHint, T::permissionNeeded, T::relaunchButton, T::grantedNoWindows})
        EXPECT_FALSE(shows(texts, text)) << text;
}

// On a desktop Morvanta cannot tile, the session's own notice takes the usual hint's place.
TEST_F(WelcomeTest, PermissionPageShowsTheSessionsNoticeInPlaceOfTheUsualHint) {
    desktop.setTrusted(false);
    sessionHint = T::otherWaylandDesktop;
    startController();
    auto view = makeView();
    view->showStep(1);
    QApplication::processEvents();
    EXPECT_EQ(view->permissionPage().state(), State::needed);
    const QString texts = visibleTexts(view->page(1));
    EXPECT_TRUE(shows(texts, T::otherWaylandDesktop)) << texts.toStdString();
    EXPECT_FALSE(shows(texts, T::waitingHint));
}

TEST_F(WelcomeTest, ChoosingALayoutSetsTheDefaultAndEveryWorkspace) {
    startController();
    auto view = makeView();
    view->showStep(2);
    QApplication::processEvents();
    auto& page = view->layoutPage();
    ASSERT_EQ(page.cards().size(), allLayoutKinds.size());
    for (LayoutCard* card : page.cards())
        EXPECT_EQ(card->isSelected(), card->layoutKind() == LayoutKind::mainStack);

    QTest::mouseClick(page.cards()[3], Qt::LeftButton); // Grid
    EXPECT_EQ(settings.defaultLayout(), LayoutKind::grid);
    for (int number : controller->manager().allWorkspaceNumbers())
        EXPECT_EQ(controller->manager().workspaceRecord(number).layout, LayoutKind::grid) << number;
    EXPECT_EQ(settings.layoutsByWorkspace().at("9"), "grid");
    for (LayoutCard* card : page.cards())
        EXPECT_EQ(card->isSelected(), card->layoutKind() == LayoutKind::grid);
}

TEST_F(WelcomeTest, ShortcutChoicesReachTheSettingsAndTheBindingsFollow) {
    startController();
    std::vector<bool> enabledFollowUps;
    std::vector<ShortcutStyle> styleFollowUps;
    settings.shortcutsEnabledFollowUp = [&](bool on) { enabledFollowUps.push_back(on); };
    settings.shortcutStyleFollowUp = [&](ShortcutStyle s) { styleFollowUps.push_back(s); };
    auto view = makeView();
    view->showStep(3);
    QApplication::processEvents();
    auto& page = view->shortcutsPage();
    QWidget* widget = view->page(3);
    EXPECT_EQ(page.currentChoice(), ShortcutsPage::Choice::standard);
    EXPECT_TRUE(static_cast<QRadioButton*>(button(widget, T::standardChoice))->isChecked());

    button(widget, T::saferChoice)->click();
    EXPECT_TRUE(settings.shortcutsEnabled());
    EXPECT_EQ(settings.shortcutStyle(), ShortcutStyle::controlOption);
    EXPECT_EQ(styleFollowUps, std::vector{ShortcutStyle::controlOption});
    EXPECT_EQ(page.shownBindings(),
              (std::array<QString, 3>{"Ctrl+Alt+Shift+;", "Ctrl+Alt+2", "Ctrl+Alt+Shift+2"}));

    button(widget, T::noShortcutsChoice)->click();
    EXPECT_FALSE(settings.shortcutsEnabled());
    EXPECT_EQ(enabledFollowUps.back(), false);
    EXPECT_EQ(page.currentChoice(), ShortcutsPage::Choice::none);

    // The settings window turning shortcuts back on shows here too.
    settings.setShortcutsEnabled(true);
    EXPECT_TRUE(static_cast<QRadioButton*>(button(widget, T::saferChoice))->isChecked());

    button(widget, T::standardChoice)->click();
    EXPECT_EQ(settings.shortcutStyle(), ShortcutStyle::option);
    unboundMove = true;
    view->showStep(4);
    view->showStep(3);
    EXPECT_EQ(page.shownBindings(), (std::array<QString, 3>{"Alt+Shift+;", "Alt+2", T::unbound}));
}

TEST_F(WelcomeTest, FinishPageTogglesLoginItemAndBorderAndWarnsOfATilingWindowManager) {
    startController();
    auto view = makeView();
    view->showStep(4);
    QApplication::processEvents();
    auto& page = view->finishPage();
    EXPECT_FALSE(page.warningShown());
    EXPECT_FALSE(shows(visibleTexts(view->page(4)), T::anotherWindowManager));

    EXPECT_FALSE(page.launchAtLoginToggle()->isChecked());
    page.launchAtLoginToggle()->click();
    EXPECT_TRUE(settings.launchAtLogin());
    EXPECT_TRUE(std::filesystem::exists(autostartEntry()));
    page.launchAtLoginToggle()->click();
    EXPECT_FALSE(settings.launchAtLogin());

    EXPECT_TRUE(page.borderToggle()->isChecked());
    page.borderToggle()->click();
    EXPECT_FALSE(settings.borderEnabled());

    tilingWindowManager = true;
    view->showStep(3);
    view->showStep(4);
    QApplication::processEvents();
    EXPECT_TRUE(page.warningShown());
    EXPECT_TRUE(shows(visibleTexts(view->page(4)), T::anotherWindowManager));
}

TEST_F(WelcomeTest, AFailedLoginItemChangeShowsTheRealState) {
    // The autostart folder cannot be made: a plain file stands where it would go.
    std::filesystem::path blocked = autostartFolder();
    { std::ofstream(blocked) << "not a folder"; }
    startController();
    auto view = makeView();
    view->showStep(4);
    QApplication::processEvents();
    view->finishPage().launchAtLoginToggle()->click();
    EXPECT_FALSE(view->finishPage().launchAtLoginToggle()->isChecked());
    ASSERT_EQ(systemLog.size(), 1u);
    EXPECT_TRUE(systemLog[0].starts_with("Morvanta: launch at login change failed: "));
}

} // namespace
} // namespace morvanta::testing
