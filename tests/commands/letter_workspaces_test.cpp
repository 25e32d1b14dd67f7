// Letter workspaces: adding gives the letter its keys where they are free (F and W collide with
// fixed actions), refuses duplicates and other numbers; removing clears the letter's settings,
// rules and keys, and shows the removed workspace's windows on its display at once.
#include "shortcut_actions_fixture.h"

namespace morvanta::testing {
namespace {

TEST_F(ShortcutActionsTest, AddingALetterStoresItBindsItsKeysAndLogsOnce) {
    launch();
    clearLog();
    EXPECT_EQ(controller->addLetterWorkspace(101), (LetterShortcutsAssigned{true, true}));
    EXPECT_EQ(messages(), std::vector<std::string>{"Added workspace A."});
    EXPECT_EQ(settings.letterWorkspaces(), std::vector<int>{101});
    EXPECT_EQ(actions->letterShortcutWorkspaces(), std::vector<int>{101});
    EXPECT_EQ(binding("switchToWorkspaceA"), (Shortcut{0, alt}));
    EXPECT_EQ(binding("moveToWorkspaceA"), (Shortcut{0, altShift}));
    ASSERT_FALSE(controller->summaries().get().empty());
    EXPECT_TRUE(controller->summaries().get().front().counts.contains(101));

    backend->press({0, alt});
    EXPECT_EQ(controller->currentNumber().get(), 101);

    clearLog();
    EXPECT_EQ(controller->addLetterWorkspace(101), (LetterShortcutsAssigned{}));
    EXPECT_EQ(controller->addLetterWorkspace(100), (LetterShortcutsAssigned{}));
    EXPECT_EQ(controller->addLetterWorkspace(127), (LetterShortcutsAssigned{}));
    EXPECT_TRUE(messages().empty());
    backend->press({0, alt}); // one action per press, not one per add
    EXPECT_EQ(countLogged("Workspace A on S1."), 1);
}

TEST_F(ShortcutActionsTest, LetterKeysTakenByFixedActionsStayUnbound) {
    launch();
    EXPECT_EQ(controller->addLetterWorkspace(106), (LetterShortcutsAssigned{true, false}));
    EXPECT_EQ(binding("switchToWorkspaceF"), (Shortcut{3, alt}));
    EXPECT_EQ(binding("moveToWorkspaceF"), std::nullopt);
    EXPECT_EQ(binding("toggleFloating"), (Shortcut{3, altShift}));

    EXPECT_EQ(controller->addLetterWorkspace(123), (LetterShortcutsAssigned{false, true}));
    EXPECT_EQ(binding("switchToWorkspaceW"), std::nullopt);
    EXPECT_EQ(binding("moveToWorkspaceW"), (Shortcut{13, altShift}));

    settings.setShortcutStyle(ShortcutStyle::controlOption);
    EXPECT_EQ(binding("switchToWorkspaceF"), (Shortcut{3, ctrlAlt}));
    EXPECT_EQ(binding("moveToWorkspaceF"), std::nullopt);
    EXPECT_EQ(binding("moveToWorkspaceW"), (Shortcut{13, ctrlAltShift}));
}

TEST_F(ShortcutActionsTest, StyleChangeGivesALetterItsFreedKeyBack) {
    launch();
    keys->storeShortcut(Shortcut{5, alt}, KeyboardShortcuts::Name{"nextLayout", std::nullopt});
    EXPECT_EQ(controller->addLetterWorkspace(107), (LetterShortcutsAssigned{false, true}));
    EXPECT_EQ(binding("switchToWorkspaceG"), std::nullopt);

    settings.setShortcutStyle(ShortcutStyle::controlOption); // nextLayout back on its own key
    EXPECT_EQ(binding("switchToWorkspaceG"), (Shortcut{5, ctrlAlt}));
    backend->press({5, ctrlAlt});
    EXPECT_EQ(controller->currentNumber().get(), 107);
}

TEST_F(ShortcutActionsTest, LettersOfAnEarlierRunAreListedAndAttachedAtLaunch) {
    settings.setLetterWorkspaces({104});
    launch();
    EXPECT_EQ(actions->letterShortcutWorkspaces(), std::vector<int>{104});
    // Nothing was ever assigned to D in this domain: its names exist but hold no keys.
    EXPECT_EQ(binding("switchToWorkspaceD"), std::nullopt);
    keys->storeShortcut(Shortcut{2, alt}, ShortcutActions::switchShortcutName(104));
    backend->press({2, alt});
    EXPECT_EQ(controller->currentNumber().get(), 104);
}

TEST_F(ShortcutActionsTest, RemovingALetterClearsItsNameRulesKeysAndSettings) {
    launch();
    controller->addLetterWorkspace(101);
    controller->addLetterWorkspace(102);
    settings.setWorkspaceName("Mail", 101);
    settings.setLayoutsByWorkspace({{"101", "grid"}, {"2", "rows"}});
    controller->commands().reloadFromSettings(settings.layoutsByWorkspace(), {});
    auto rules = settings.appRules();
    rules.push_back({"org.example.Editor", "Editor", 101, false, false});
    rules.push_back({"XTerm", "Terminal", 102, false, false});
    settings.setAppRules(rules);
    clearLog();

    controller->removeLetterWorkspace(101);
    EXPECT_EQ(messages().back(), "Removed workspace A.");
    EXPECT_EQ(settings.letterWorkspaces(), std::vector<int>{102});
    EXPECT_EQ(actions->letterShortcutWorkspaces(), std::vector<int>{102});
    EXPECT_FALSE(settings.letterWorkspaceNames().contains("A"));
    EXPECT_FALSE(settings.layoutsByWorkspace().contains("101"));
    EXPECT_EQ(settings.layoutsByWorkspace().at("2"), "rows");
    EXPECT_EQ(settings.ruleForBundleID("org.example.Editor")->workspace, std::nullopt);
    EXPECT_EQ(settings.ruleForBundleID("XTerm")->workspace, 102);
    EXPECT_FALSE(domain.object("KeyboardShortcuts_switchToWorkspaceA"));
    EXPECT_FALSE(domain.object("KeyboardShortcuts_moveToWorkspaceA"));
    EXPECT_FALSE(backend->holds({0, alt}));
    EXPECT_TRUE(backend->holds({11, alt}));

    clearLog();
    controller->removeLetterWorkspace(101);
    controller->removeLetterWorkspace(5);
    EXPECT_TRUE(messages().empty());
}

TEST_F(ShortcutActionsTest, RemovingTheShownLetterShowsItsWindowsAtOnce) {
    launch();
    const auto a = open(editor, "a");
    settle();
    controller->addLetterWorkspace(101);
    controller->commands().switchToWorkspace(101);
    const auto b = open(term, "b");
    const auto c = open(term, "c");
    settle();
    EXPECT_TRUE(controller->parker().isParked(a));
    const auto bID = *controller->registry().idFor(b);
    ASSERT_EQ(controller->manager().workspaceNumberOf(bID), 101);

    controller->removeLetterWorkspace(101); // no settle: the apply runs now
    EXPECT_EQ(controller->manager().workspaceNumberOf(bID), 1);
    EXPECT_EQ(controller->currentNumber().get(), 1);
    for (const auto& window : {a, b, c}) {
        EXPECT_FALSE(controller->parker().isParked(window));
        const Rect f = frame(window);
        EXPECT_TRUE(f.x >= 0 && f.y >= 0 && f.x + f.width <= 1200 && f.y + f.height <= 800);
    }
}

} // namespace
} // namespace morvanta::testing
