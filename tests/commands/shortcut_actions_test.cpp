// The shortcut actions: entries and their order, default keys in both styles, the stored form
// in the preferences domain across restarts, style changes over customised bindings, the
// master switch, and key presses reaching the controller's commands.
#include "app/commands/shortcut_defaults.h"
#include "shortcut_actions_fixture.h"

#include <set>

namespace morvanta::testing {
namespace {

TEST_F(ShortcutActionsTest, EntriesListDigitsLettersThenFixedActionsInOrder) {
    launch();
    controller->addLetterWorkspace(103);
    controller->addLetterWorkspace(101);
    const auto entries = actions->shortcutEntries();
    ASSERT_EQ(entries.size(), 9u + 2 + 9 + 2 + 16);
    EXPECT_EQ(entries[0].name.rawValue, "switchToWorkspace1");
    EXPECT_EQ(entries[0].title, "Switch to workspace 1");
    EXPECT_EQ(entries[9].name.rawValue, "switchToWorkspaceA"); // the manager's ascending order
    EXPECT_EQ(entries[10].title, "Switch to workspace C");
    EXPECT_FALSE(entries[10].name.initialShortcut);
    EXPECT_EQ(entries[11].name.rawValue, "moveToWorkspace1");
    EXPECT_EQ(entries[11].title, "Move window to workspace 1");
    EXPECT_EQ(entries[21].name.rawValue, "moveToWorkspaceC");
    EXPECT_EQ(entries[22].name.rawValue, "previousWorkspace");
    EXPECT_EQ(entries[32].title, "Float / tile window");
    EXPECT_EQ(entries.back().name.rawValue, "togglePause");
    EXPECT_EQ(entries.back().title, "Pause tiling");

    std::set<std::string> names;
    for (const auto& entry : entries)
        names.insert(entry.name.rawValue);
    EXPECT_EQ(names.size(), entries.size());
}

TEST_F(ShortcutActionsTest, FreshInstallBindsStandardDefaultsAndSaferAddsControl) {
    launch();
    const std::vector<int> digitKeys = {18, 19, 20, 21, 23, 22, 26, 28, 25};
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(binding("switchToWorkspace" + std::to_string(n)),
                  (Shortcut{digitKeys[n - 1], alt}));
        EXPECT_EQ(binding("moveToWorkspace" + std::to_string(n)),
                  (Shortcut{digitKeys[n - 1], altShift}));
    }
    EXPECT_EQ(binding("previousWorkspace"), (Shortcut{48, alt}));
    EXPECT_EQ(binding("focusDown"), (Shortcut{125, alt}));
    EXPECT_EQ(binding("swapLeft"), (Shortcut{123, altShift}));
    EXPECT_EQ(binding("nextLayout"), (Shortcut{44, alt}));
    EXPECT_EQ(binding("toggleFloating"), (Shortcut{3, altShift}));
    EXPECT_EQ(binding("shrinkMain"), (Shortcut{27, alt}));
    EXPECT_EQ(binding("commandPalette"), (Shortcut{41, altShift}));
    EXPECT_EQ(binding("workspaceSwitcher"), (Shortcut{13, alt}));
    EXPECT_EQ(binding("togglePause"), (Shortcut{35, altShift}));
    // Every default is held globally once, distinct combinations each.
    EXPECT_EQ(backend->grabbed.size(), 34u);

    settings.setShortcutStyle(ShortcutStyle::controlOption);
    for (const auto& entry : actions->shortcutEntries()) {
        const auto expected = styled(*entry.name.initialShortcut, ShortcutStyle::controlOption);
        EXPECT_EQ(binding(entry.name.rawValue), expected) << entry.name.rawValue;
        EXPECT_TRUE(backend->holds(expected)) << entry.name.rawValue;
    }
    EXPECT_EQ(binding("switchToWorkspace1"), (Shortcut{18, ctrlAlt}));
    EXPECT_FALSE(backend->holds({18, alt}));
}

TEST_F(ShortcutActionsTest, BindingsLiveInThePreferencesDomainAcrossRestarts) {
    launch();
    EXPECT_EQ(domain.string("KeyboardShortcuts_switchToWorkspace1"),
              "{\"carbonKeyCode\":18,\"carbonModifiers\":2048}");
    keys->storeShortcut(Shortcut{18, alt}, ShortcutActions::switchShortcutName(2));
    keys->storeShortcut(std::nullopt, ShortcutActions::switchShortcutName(1));
    const auto removed = domain.object("KeyboardShortcuts_switchToWorkspace1");
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->asBoolean(), false);

    reset();
    launch();
    EXPECT_EQ(binding("switchToWorkspace1"), std::nullopt); // the removed default stays removed
    EXPECT_EQ(binding("switchToWorkspace2"), (Shortcut{18, alt}));
    backend->press({18, alt});
    EXPECT_TRUE(logged("Workspace 2 on S1."));
    EXPECT_FALSE(logged("Workspace 1 on S1."));
}

TEST_F(ShortcutActionsTest, StyleChangeReplacesCustomisedBindingOnlyWhenTheStyleChanges) {
    launch();
    keys->storeShortcut(Shortcut{5, alt}, KeyboardShortcuts::Name{"nextLayout", std::nullopt});
    settings.setShortcutStyle(ShortcutStyle::option); // unchanged: the customisation stays
    EXPECT_EQ(binding("nextLayout"), (Shortcut{5, alt}));

    settings.setShortcutStyle(ShortcutStyle::controlOption);
    EXPECT_EQ(binding("nextLayout"), (Shortcut{44, ctrlAlt}));
    keys->storeShortcut(Shortcut{5, alt}, KeyboardShortcuts::Name{"nextLayout", std::nullopt});
    settings.setShortcutStyle(ShortcutStyle::option);
    EXPECT_EQ(binding("nextLayout"), (Shortcut{44, alt}));
}

TEST_F(ShortcutActionsTest, DisabledShortcutsHoldNoKeysIncludingLetters) {
    launch();
    controller->addLetterWorkspace(103);
    settings.setShortcutsEnabled(false);
    EXPECT_TRUE(backend->grabbed.empty());
    EXPECT_EQ(binding("switchToWorkspaceC"), (Shortcut{8, alt})); // kept, only inactive

    // Adding a letter while disabled keeps everything, the new letter too, inactive.
    controller->addLetterWorkspace(104);
    EXPECT_TRUE(backend->grabbed.empty());

    settings.setShortcutsEnabled(true);
    EXPECT_TRUE(backend->holds({8, alt}));
    EXPECT_TRUE(backend->holds({2, altShift}));
    backend->press({8, alt});
    EXPECT_TRUE(logged("Workspace C on S1."));
}

TEST_F(ShortcutActionsTest, KeysRunTheControllerCommands) {
    launch();
    const auto a = open(editor, "a");
    const auto b = open(editor, "b");
    settle();
    desktop.focus(a);

    backend->press({19, altShift}); // move the focused window to 2
    EXPECT_EQ(controller->manager().workspaceNumberOf(*controller->registry().idFor(a)), 2);
    backend->press({19, alt});
    EXPECT_EQ(controller->currentNumber().get(), 2);
    backend->press({48, alt});
    EXPECT_EQ(controller->currentNumber().get(), 1);

    const double ratio = settings.mainRatio();
    backend->press({24, alt});
    EXPECT_DOUBLE_EQ(settings.mainRatio(), ratio + 0.05);

    backend->press({44, alt});
    EXPECT_TRUE(logged("Layout Grid for workspace 1."));

    backend->press({35, altShift});
    EXPECT_TRUE(controller->isPaused().get());
    backend->press({35, altShift});
    EXPECT_FALSE(controller->isPaused().get());

    backend->press({41, altShift});
    backend->press({13, alt});
    EXPECT_EQ(panelsOpened, 1);
    EXPECT_EQ(switchersOpened, 1);
    (void)b;
}

TEST_F(ShortcutActionsTest, InstallingTwiceRunsEachActionOnce) {
    launch();
    actions->installShortcuts(*controller, {}, {});
    backend->press({20, alt});
    EXPECT_EQ(countLogged("Workspace 3 on S1."), 1);
}

TEST_F(ShortcutActionsTest, KeysDoNothingOnceTheControllerIsGone) {
    launch();
    controller.reset();
    backend->press({19, alt});
    EXPECT_FALSE(logged("Workspace 2 on S1."));
}

TEST_F(ShortcutActionsTest, StorageKeepsEveryKindOfPreferenceValue) {
    const PreferenceValue values[] = {
        PreferenceValue(true),
        PreferenceValue(42),
        PreferenceValue(2.5),
        PreferenceValue("text"),
        PreferenceValue(PreferenceValue::Data{1, 2, 255}),
        PreferenceValue(PreferenceValue::Array{PreferenceValue(1), PreferenceValue("x")}),
        PreferenceValue(PreferenceValue::Dictionary{{"k", PreferenceValue(false)}})};
    for (const auto& value : values)
        EXPECT_EQ(PreferencesShortcutStorage::fromJson(PreferencesShortcutStorage::toJson(value)),
                  value);
    PreferencesShortcutStorage storage(domain);
    storage.setValue("KeyboardShortcuts_x", nullptr);
    EXPECT_FALSE(storage.value("KeyboardShortcuts_x"));
}

} // namespace
} // namespace morvanta::testing
