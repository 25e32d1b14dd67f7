// The hot-key service without a display: stored form, defaults across restarts, disabled names,
// shared combinations, refused registrations and the center's modes, over fake key grabs.
#include "shortcuts/fake/fake_hot_keys.h"
#include "shortcuts/keyboard_shortcuts.h"
#include "shortcuts/memory_shortcut_storage.h"
#include "shortcuts/modifiers.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

const Shortcut optionOne{18, carbon::option};
const Shortcut optionTwo{19, carbon::option};

struct Service {
    explicit Service(MemoryShortcutStorage& storage)
        : center(backend), shortcuts(storage, center) {}
    FakeHotKeys backend;
    HotKeyCenter center;
    KeyboardShortcuts shortcuts;
};

TEST(ShortcutStoredForm, OptionOneIsStoredAsJsonAndReadBack) {
    EXPECT_EQ(carbonModifiersFromFlags(modifier_flags::option), 2048);
    EXPECT_EQ(carbonModifiersFromFlags(modifier_flags::option | 0x1), 2048); // unknown flag
    EXPECT_EQ(flagsFromCarbonModifiers(carbon::control | carbon::shift),
              modifier_flags::control | modifier_flags::shift);

    MemoryShortcutStorage storage;
    Service service(storage);
    KeyboardShortcuts::Name name{"switchToWorkspace", std::nullopt};
    service.shortcuts.storeShortcut(optionOne, name);
    auto stored = storage.value("KeyboardShortcuts_switchToWorkspace");
    ASSERT_TRUE(stored && stored->is_string());
    EXPECT_EQ(stored->get<std::string>(), R"({"carbonKeyCode":18,"carbonModifiers":2048})");
    EXPECT_EQ(service.shortcuts.shortcutFor(name), optionOne);
}

TEST(ShortcutStoredForm, UnreadableValuesGiveNoShortcut) {
    MemoryShortcutStorage storage;
    Service service(storage);
    KeyboardShortcuts::Name name{"nextLayout", std::nullopt};
    for (const nlohmann::json& value :
         {nlohmann::json(true), nlohmann::json(12), nlohmann::json("not json"),
          nlohmann::json(R"({"carbonKeyCode":18})"),
          nlohmann::json(R"({"carbonKeyCode":"18","carbonModifiers":2048})"),
          nlohmann::json(R"({"carbonKeyCode":18,"carbonModifiers":99999999999})")}) {
        storage.setValue(KeyboardShortcuts::storageKey(name), value);
        EXPECT_EQ(service.shortcuts.shortcutFor(name), std::nullopt) << value.dump();
    }
}

TEST(ShortcutDefaults, RemovedDefaultStaysRemovedAfterRestart) {
    MemoryShortcutStorage storage;
    KeyboardShortcuts::Name withDefault{"switchToWorkspace1", optionOne};
    KeyboardShortcuts::Name withoutDefault{"switchToWorkspaceC", std::nullopt};
    {
        Service service(storage);
        EXPECT_EQ(service.shortcuts.shortcutFor(withDefault), optionOne);
        service.shortcuts.storeShortcut(Shortcut{8, carbon::option}, withoutDefault);
        service.shortcuts.storeShortcut(std::nullopt, withDefault);
        service.shortcuts.storeShortcut(std::nullopt, withoutDefault);
    }
    EXPECT_EQ(storage.value("KeyboardShortcuts_switchToWorkspace1"), nlohmann::json(false));
    EXPECT_FALSE(storage.value("KeyboardShortcuts_switchToWorkspaceC"));

    MemoryShortcutStorage restarted = storage;
    Service service(restarted);
    int fired = 0;
    service.shortcuts.addKeyDownHandler(withDefault, [&] { ++fired; });
    EXPECT_EQ(service.shortcuts.shortcutFor(withDefault), std::nullopt);
    EXPECT_TRUE(service.backend.grabbed.empty());
}

TEST(ShortcutRegistration, DisabledNamesNeitherHoldTheirKeyNorRun) {
    MemoryShortcutStorage storage;
    Service service(storage);
    KeyboardShortcuts::Name name{"switchToWorkspace1", optionOne};
    int fired = 0;
    service.shortcuts.addKeyDownHandler(name, [&] { ++fired; });
    ASSERT_TRUE(service.backend.holds(optionOne));

    service.shortcuts.disableNames({name});
    EXPECT_FALSE(service.backend.holds(optionOne));
    EXPECT_EQ(service.shortcuts.shortcutFor(name), optionOne);
    // A binding changed while disabled is stored but not registered.
    service.shortcuts.storeShortcut(optionTwo, name);
    EXPECT_TRUE(service.backend.grabbed.empty());
    EXPECT_FALSE(service.shortcuts.isActive(name));

    service.shortcuts.enableNames({name});
    EXPECT_TRUE(service.backend.holds(optionTwo));
    service.backend.press(optionTwo);
    EXPECT_EQ(fired, 1);
}

TEST(ShortcutRegistration, OneRegistrationPerCombinationSharedByNames) {
    MemoryShortcutStorage storage;
    Service service(storage);
    KeyboardShortcuts::Name first{"first", optionOne};
    KeyboardShortcuts::Name second{"second", optionOne};
    std::vector<std::string> ran;
    std::vector<std::string> changed;
    const auto heardChanges = service.shortcuts.addChangeObserver(
        [&](const auto& name) { changed.push_back(name.rawValue); });
    service.shortcuts.addKeyDownHandler(first, [&] { ran.push_back("first"); });
    service.shortcuts.addKeyDownHandler(second, [&] { ran.push_back("second"); });
    EXPECT_EQ(service.backend.grabbed.size(), 1u);
    service.backend.press(optionOne);
    EXPECT_EQ(ran.size(), 2u);

    // Moving one name away keeps the combination for the other.
    service.shortcuts.storeShortcut(optionTwo, second);
    EXPECT_TRUE(service.backend.holds(optionOne));
    EXPECT_TRUE(service.backend.holds(optionTwo));
    EXPECT_EQ(changed, std::vector<std::string>{"second"});
    service.shortcuts.removeHandlers(first);
    EXPECT_FALSE(service.backend.holds(optionOne));
    ran.clear();
    service.backend.press(optionTwo);
    EXPECT_EQ(ran, std::vector<std::string>{"second"});
}

TEST(ShortcutRegistration, RefusedCombinationIsReportedAndStoredBindingKept) {
    MemoryShortcutStorage storage;
    Service service(storage);
    service.backend.take(optionOne);
    KeyboardShortcuts::Name name{"switchToWorkspace1", optionOne};
    std::vector<Shortcut> refused;
    const auto heardRefusals = service.shortcuts.addRegistrationFailedObserver(
        [&](const Shortcut& s) { refused.push_back(s); });
    service.shortcuts.addKeyDownHandler(name, [] {});
    EXPECT_EQ(refused, std::vector<Shortcut>{optionOne});
    EXPECT_FALSE(service.shortcuts.isActive(name));
    EXPECT_EQ(service.shortcuts.shortcutFor(name), optionOne);

    // Once the other holder lets go, re-enabling the name picks the combination up.
    service.backend.taken.clear();
    service.shortcuts.enableNames({name});
    EXPECT_TRUE(service.shortcuts.isActive(name));
}

TEST(HotKeyCenterModes, MenuOpenMatchesRawKeysAndDisabledMatchesNothing) {
    MemoryShortcutStorage storage;
    Service service(storage);
    const Shortcut optionLeft{123, carbon::option};
    int digit = 0;
    int arrow = 0;
    service.shortcuts.addKeyDownHandler({"one", optionOne}, [&] { ++digit; });
    service.shortcuts.addKeyDownHandler({"left", optionLeft}, [&] { ++arrow; });
    auto& center = service.center;
    EXPECT_FALSE(center.handleRawKeyEvent(18, carbon::option, true)); // normal: grabs deliver

    center.setMenuOpen(true);
    EXPECT_EQ(center.mode(), HotKeyCenter::Mode::menuOpen);
    EXPECT_TRUE(service.backend.grabbed.empty());
    EXPECT_TRUE(center.handleRawKeyEvent(18, carbon::option, true));
    EXPECT_TRUE(center.handleRawKeyEvent(18, carbon::option, true)); // a repeat
    EXPECT_TRUE(center.handleRawKeyEvent(18, carbon::option, false));
    EXPECT_FALSE(center.handleRawKeyEvent(18, carbon::option | carbon::shift, true));
    // Arrows match with or without the Function bit; digits do not ignore it.
    EXPECT_TRUE(center.handleRawKeyEvent(123, carbon::option | carbon::function, true));
    EXPECT_FALSE(center.handleRawKeyEvent(18, carbon::option | carbon::function, true));
    EXPECT_EQ(digit, 1);
    EXPECT_EQ(arrow, 1);

    center.setEnabled(false);
    EXPECT_EQ(center.mode(), HotKeyCenter::Mode::disabled);
    EXPECT_FALSE(center.handleRawKeyEvent(18, carbon::option, true));
    EXPECT_TRUE(service.backend.grabbed.empty());

    center.setEnabled(true);
    center.setMenuOpen(false);
    EXPECT_EQ(service.backend.grabbed.size(), 2u);
    service.backend.press(optionOne, false);
    service.backend.press(optionOne, false); // held key repeating
    service.backend.press(optionOne);
    EXPECT_EQ(digit, 2);
}

TEST(HotKeyCenterModes, HandlerMayRebindItsOwnCombination) {
    MemoryShortcutStorage storage;
    Service service(storage);
    KeyboardShortcuts::Name name{"one", optionOne};
    service.shortcuts.addKeyDownHandler(name,
                                        [&] { service.shortcuts.storeShortcut(optionTwo, name); });
    service.backend.press(optionOne);
    EXPECT_FALSE(service.backend.holds(optionOne));
    EXPECT_TRUE(service.backend.holds(optionTwo));
}

} // namespace
} // namespace morvanta
