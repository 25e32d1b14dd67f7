// The shortcut recorder over the real X11 hot-key backend on a private Xvfb: key events convert
// from their native X keycode and state, our own grabs are let go while it records (another
// client can take Alt+1 then), and a combination another client grabs is refused; keys typed
// into a popup follow the keyboard layout as the grabs do.
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/shortcut_recorder.h"
#include "app/shell/tray/popup_key_router.h"
#include "shortcuts/memory_shortcut_storage.h"
#include "shortcuts/modifiers.h"
#include "shortcuts/x11/x11_hot_keys.h"
#include "tests/support/gui_application.h"
#include "tests/support/xtest_input.h"
#include "tests/support/xvfb_server.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <gtest/gtest.h>
#include <memory>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-keysyms.h>

namespace morvanta::testing {
namespace {

constexpr std::uint16_t altMask = XCB_MOD_MASK_1;
constexpr std::uint16_t ctrlAltMask = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

TEST(RecorderOnX11, ConvertsKeysSuspendsOurGrabsAndRefusesAnotherClientsCombination) {
    guiApplication();
    XvfbServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    X11HotKeys hotKeys(server.display());
    ASSERT_TRUE(hotKeys.ok()) << hotKeys.error();
    HotKeyCenter center(hotKeys);
    MemoryShortcutStorage storage;
    KeyboardShortcuts keys(storage, center);
    const KeyboardShortcuts::Name name{"switchToWorkspace1", Shortcut{18, carbon::option}};
    keys.addKeyDownHandler(name, [] {});
    XTestInput other(server.display());
    // A throw-away grab on the root, as another program's global shortcut.
    ASSERT_TRUE(other.grab(XKB_KEY_k, ctrlAltMask));
    hotKeys.sync();
    ASSERT_FALSE(other.grab(XKB_KEY_1, altMask)) << "we hold Alt+1";

    RecorderPlatform platform;
    platform.shortcutText = [&](const Shortcut& s) { return hotKeys.shortcutText(s); };
    platform.shortcutForKeyEvent = [&](quint32 code, quint32 state) {
        return hotKeys.shortcutForKeyEvent(code, static_cast<std::uint16_t>(state));
    };
    platform.isSystemShortcut = [&](const Shortcut& s) {
        return hotKeys.isGrabbedByAnotherClient(s);
    };
    ShortcutRecorder recorder(keys, name, platform, {.systemShortcut = ConflictBehavior::block});
    EXPECT_EQ(recorder.text(), "Alt+1");

    recorder.startRecording();
    hotKeys.sync();
    EXPECT_TRUE(other.grab(XKB_KEY_1, altMask)) << "our grabs are let go while recording";
    other.ungrab(XKB_KEY_1, altMask);

    auto press = [&](xcb_keysym_t keysym, Qt::Key key, Qt::KeyboardModifiers modifiers,
                     std::uint16_t state) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, other.keycode(keysym), keysym, state);
        QApplication::sendEvent(&recorder, &event);
    };
    press(XKB_KEY_k, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, ctrlAltMask);
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_EQ(recorder.lastMessage(), SettingsTexts::systemShortcut);

    press(XKB_KEY_j, Qt::Key_J, Qt::AltModifier, altMask);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(recorder.text(), "Alt+J");
    EXPECT_EQ(keys.shortcutFor(name), (Shortcut{38, carbon::option}));
    hotKeys.sync();
    EXPECT_FALSE(other.grab(XKB_KEY_j, altMask)) << "the new combination is ours again";
    EXPECT_TRUE(other.grab(XKB_KEY_1, altMask)) << "the old one is free";
}

// While a popup of Morvanta's has the keyboard, its keys reach the shortcuts by what they type in
// the current layout, as the grabs and the recorder read them: on a German keyboard the key
// that types "y" runs the binding for Y, not the one for the key at Y's place on a US keyboard.
TEST(PopupKeysOnX11, FollowTheKeyboardLayout) {
    guiApplication();
    XvfbServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    ASSERT_EQ(server.run({"setxkbmap", "-display", server.display(), "de"}), 0);
    X11HotKeys hotKeys(server.display());
    ASSERT_TRUE(hotKeys.ok()) << hotKeys.error();
    XTestInput typist(server.display());
    ASSERT_TRUE(testing::waitFor([&] {
        hotKeys.sync();
        return typist.keycode(XKB_KEY_y) == 52;
    }));
    std::vector<Shortcut> heard;
    PopupKeyRoutes routes;
    routes.translate = [&](quint32 code, quint32 state) {
        return hotKeys.shortcutForKeyEvent(code, static_cast<std::uint16_t>(state));
    };
    routes.rawKey = [&](int keyCode, int modifiers, bool down) {
        if (down)
            heard.push_back(Shortcut{keyCode, modifiers});
        return true;
    };
    PopupKeyRouter router(routes);
    QMenu menu;
    menu.addAction("Settings…");
    menu.popup(QPoint(10, 10));
    QCoreApplication::processEvents();
    ASSERT_TRUE(router.anyPopupOpen());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Y, Qt::AltModifier, typist.keycode(XKB_KEY_y),
                    XKB_KEY_y, altMask);
    QApplication::sendEvent(&menu, &press);
    EXPECT_EQ(heard, std::vector<Shortcut>({Shortcut{16, carbon::option}}));
    menu.hide();
}

} // namespace
} // namespace morvanta::testing
