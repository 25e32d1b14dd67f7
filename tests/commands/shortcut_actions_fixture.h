// The fake desktop's controller with the shortcut actions attached to it through a hot-key
// service whose key grabs are only recorded, and whose bindings live in the same preferences
// domain as the settings.
#pragma once

#include "app/commands/preferences_shortcut_storage.h"
#include "app/commands/shortcut_actions.h"
#include "shortcuts/fake/fake_hot_keys.h"
#include "shortcuts/keyboard_shortcuts.h"
#include "shortcuts/modifiers.h"
#include "tests/support/fake_desktop_controller.h"

#include <memory>

namespace morvanta::testing {

inline constexpr int alt = carbon::option;
inline constexpr int altShift = carbon::option | carbon::shift;
inline constexpr int ctrlAlt = carbon::control | carbon::option;
inline constexpr int ctrlAltShift = carbon::control | carbon::option | carbon::shift;

class ShortcutActionsTest : public FakeDesktopControllerTest {
protected:
    // Everything a launch creates, over the fixture's preferences domain: calling it again
    // after reset() is a restart.
    void launch(bool install = true) {
        storage = std::make_unique<PreferencesShortcutStorage>(domain);
        backend = std::make_unique<FakeHotKeys>();
        center = std::make_unique<HotKeyCenter>(*backend);
        keys = std::make_unique<KeyboardShortcuts>(*storage, *center);
        actions = std::make_unique<ShortcutActions>(*keys, settings);
        makeController().start();
        controller->setLetterShortcuts(actions.get());
        if (install) {
            actions->installShortcuts(
                *controller, [this] { ++panelsOpened; }, [this] { ++switchersOpened; });
            actions->setShortcutsEnabled(settings.shortcutsEnabled());
        }
    }
    void reset() {
        controller.reset();
        actions.reset();
        keys.reset();
        center.reset();
        backend.reset();
        storage.reset();
    }
    ~ShortcutActionsTest() override { reset(); }

    std::optional<Shortcut> binding(const std::string& name) {
        return keys->shortcutFor(KeyboardShortcuts::Name{name, std::nullopt});
    }

    std::unique_ptr<PreferencesShortcutStorage> storage;
    std::unique_ptr<FakeHotKeys> backend;
    std::unique_ptr<HotKeyCenter> center;
    std::unique_ptr<KeyboardShortcuts> keys;
    std::unique_ptr<ShortcutActions> actions;
    int panelsOpened = 0;
    int switchersOpened = 0;
};

} // namespace morvanta::testing
