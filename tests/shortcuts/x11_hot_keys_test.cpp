// Hot keys on a private Xvfb: key presses sent with XTEST fire once per press whatever the
// lock keys, disabled names release their grabs, combinations held by another client fail
// without losing the binding, menus get the keys through the raw path, and the grabs and the
// printed names follow the keyboard layout.
#include "shortcuts/keyboard_shortcuts.h"
#include "shortcuts/memory_shortcut_storage.h"
#include "shortcuts/modifiers.h"
#include "shortcuts/x11/x11_hot_keys.h"
#include "tests/support/xtest_input.h"
#include "tests/support/xvfb_server.h"

#include <gtest/gtest.h>
#include <memory>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-keysyms.h>

namespace morvanta {
namespace {

const Shortcut optionOne{18, carbon::option};
const Shortcut optionTwo{19, carbon::option};

// A mapped window of `input`'s connection with the input focus that receives key events, like
// an open menu.
void focusWindowOf(testing::XTestInput& input) {
    xcb_connection_t* c = input.raw();
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t mask = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, input.root(), 0, 0, 200, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &mask);
    xcb_map_window(c, window);
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    input.sync();
}

class X11HotKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ok()) << server.error();
        hotKeys = std::make_unique<X11HotKeys>(server.display());
        ASSERT_TRUE(hotKeys->ok()) << hotKeys->error();
        center = std::make_unique<HotKeyCenter>(*hotKeys);
        shortcuts = std::make_unique<KeyboardShortcuts>(storage, *center);
        other = std::make_unique<testing::XTestInput>(server.display());
    }
    void TearDown() override {
        shortcuts.reset();
        center.reset();
        hotKeys.reset();
    }

    // Every press sent so far has reached the service when `count` has reached `expected`.
    bool firedExactly(const int& count, int expected) {
        bool reached = testing::waitFor([&] {
            hotKeys->sync();
            return count >= expected;
        });
        return reached && count == expected;
    }

    testing::XvfbServer server;
    MemoryShortcutStorage storage;
    std::unique_ptr<X11HotKeys> hotKeys;
    std::unique_ptr<HotKeyCenter> center;
    std::unique_ptr<KeyboardShortcuts> shortcuts;
    std::unique_ptr<testing::XTestInput> other;
};

TEST_F(X11HotKeysTest, PressesFireOncePerPressWhateverTheLocks) {
    int fired = 0;
    shortcuts->addKeyDownHandler({"switchToWorkspace1", optionOne}, [&] { ++fired; });
    other->type({XKB_KEY_Alt_L, XKB_KEY_1});
    EXPECT_TRUE(firedExactly(fired, 1));
    other->type({XKB_KEY_Alt_L, XKB_KEY_1}, 3); // held and repeating
    EXPECT_TRUE(firedExactly(fired, 2));
    other->type({XKB_KEY_Alt_L, XKB_KEY_2}); // not bound
    other->type({XKB_KEY_1});
    EXPECT_TRUE(firedExactly(fired, 2));

    other->type({XKB_KEY_Num_Lock});
    other->type({XKB_KEY_Alt_L, XKB_KEY_1});
    EXPECT_TRUE(firedExactly(fired, 3));
    other->type({XKB_KEY_Caps_Lock});
    other->type({XKB_KEY_Alt_L, XKB_KEY_1});
    EXPECT_TRUE(firedExactly(fired, 4));
    other->type({XKB_KEY_Num_Lock});
    other->type({XKB_KEY_Alt_L, XKB_KEY_1});
    EXPECT_TRUE(firedExactly(fired, 5));
}

TEST_F(X11HotKeysTest, DisabledNameReleasesItsGrab) {
    int fired = 0;
    KeyboardShortcuts::Name name{"switchToWorkspace1", optionOne};
    shortcuts->addKeyDownHandler(name, [&] { ++fired; });
    EXPECT_FALSE(other->grab(XKB_KEY_1, XCB_MOD_MASK_1));

    shortcuts->disableNames({name});
    other->type({XKB_KEY_Alt_L, XKB_KEY_1});
    EXPECT_TRUE(firedExactly(fired, 0)); // also a round trip: the ungrab has been handled
    EXPECT_TRUE(other->grab(XKB_KEY_1, XCB_MOD_MASK_1));
    EXPECT_EQ(shortcuts->shortcutFor(name), optionOne);
}

TEST_F(X11HotKeysTest, CombinationHeldByAnotherClientFailsAndBindingSurvives) {
    ASSERT_TRUE(other->grab(XKB_KEY_2, XCB_MOD_MASK_1));
    EXPECT_TRUE(hotKeys->isGrabbedByAnotherClient(optionTwo));
    EXPECT_FALSE(hotKeys->isGrabbedByAnotherClient(optionOne));

    std::vector<Shortcut> refused;
    const auto heardRefusals =
        shortcuts->addRegistrationFailedObserver([&](const Shortcut& s) { refused.push_back(s); });
    KeyboardShortcuts::Name name{"switchToWorkspace2", optionTwo};
    int fired = 0;
    shortcuts->addKeyDownHandler(name, [&] { ++fired; });
    EXPECT_EQ(refused, std::vector<Shortcut>{optionTwo});
    EXPECT_FALSE(shortcuts->isActive(name));
    EXPECT_EQ(shortcuts->shortcutFor(name), optionTwo);
    EXPECT_EQ(storage.value("KeyboardShortcuts_switchToWorkspace2"),
              nlohmann::json(optionTwo.toJson()));

    // Nothing half-grabbed is left behind: once the other client lets go, it works.
    other->ungrab(XKB_KEY_2, XCB_MOD_MASK_1);
    EXPECT_FALSE(hotKeys->isGrabbedByAnotherClient(optionTwo));
    shortcuts->enableNames({name});
    other->type({XKB_KEY_Alt_L, XKB_KEY_2});
    EXPECT_TRUE(firedExactly(fired, 1));
}

TEST_F(X11HotKeysTest, OpenMenuGetsTheKeysThroughTheRawPath) {
    int fired = 0;
    shortcuts->addKeyDownHandler({"switchToWorkspace1", optionOne}, [&] { ++fired; });
    center->setMenuOpen(true);
    hotKeys->sync(); // requests of two clients are ordered only by a round trip
    EXPECT_TRUE(other->grab(XKB_KEY_1, XCB_MOD_MASK_1))
        << "grabs are withdrawn while a menu is open";
    other->ungrab(XKB_KEY_1, XCB_MOD_MASK_1);

    // The menu's window has the focus and passes its key events on, as the shell does.
    focusWindowOf(*other);
    other->type({XKB_KEY_Alt_L, XKB_KEY_1});
    int seen = 0;
    auto forwardMenuKeys = [&] {
        while (auto* event = xcb_poll_for_event(other->raw())) {
            std::uint8_t type = event->response_type & 0x7f;
            if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
                auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
                if (auto shortcut = hotKeys->shortcutForKeyEvent(key->detail, key->state)) {
                    center->handleRawKeyEvent(shortcut->carbonKeyCode, shortcut->carbonModifiers,
                                              type == XCB_KEY_PRESS);
                }
                ++seen;
            }
            free(event);
        }
        return seen >= 4; // Alt and 1, down and up
    };
    EXPECT_TRUE(testing::waitFor(forwardMenuKeys)) << "key events seen: " << seen;
    EXPECT_EQ(fired, 1);

    center->setMenuOpen(false);
    other->type({XKB_KEY_Alt_L, XKB_KEY_1});
    EXPECT_TRUE(firedExactly(fired, 2));
}

TEST_F(X11HotKeysTest, PrintedFormsAndGrabsFollowTheLayout) {
    EXPECT_EQ(hotKeys->shortcutText({3, carbon::option | carbon::shift}), "Alt+Shift+F");
    EXPECT_EQ(hotKeys->shortcutText({18, carbon::control | carbon::option}), "Ctrl+Alt+1");
    EXPECT_EQ(hotKeys->shortcutText({123, carbon::option | carbon::function}), "Alt+Left");
    EXPECT_EQ(hotKeys->shortcutText({44, carbon::option}), "Alt+/");
    EXPECT_EQ(hotKeys->shortcutText({48, carbon::command}), "Super+Tab");
    EXPECT_EQ(hotKeys->shortcutText({200, carbon::option}), "Alt+Key 200");

    // On a German layout Y and Z swap places; the binding for Y follows the key typing "y".
    int fired = 0;
    shortcuts->addKeyDownHandler({"yKey", Shortcut{16, carbon::option}}, [&] { ++fired; });
    ASSERT_EQ(server.run({"setxkbmap", "-display", server.display(), "de"}), 0);
    ASSERT_TRUE(testing::waitFor([&] {
        hotKeys->sync();
        return other->keycode(XKB_KEY_y) == 52;
    }));
    hotKeys->sync();
    other->type({XKB_KEY_Alt_L, XKB_KEY_y});
    EXPECT_TRUE(firedExactly(fired, 1));
    EXPECT_EQ(hotKeys->shortcutText({16, carbon::option}), "Alt+Y");
    // "/" needs Shift there: the key code has no key of its own, and keeps its own name.
    EXPECT_EQ(hotKeys->shortcutText({44, carbon::option}), "Alt+/");
    EXPECT_EQ(hotKeys->shortcutText({27, carbon::option}), "Alt+-");
}

} // namespace
} // namespace morvanta
