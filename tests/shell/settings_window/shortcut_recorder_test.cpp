// The shortcut recorder on its own: recording typed combinations, clearing, and the conflict
// policy, with key events carrying the stand-in table's native codes.
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/shortcut_recorder.h"
#include "tests/shell/settings_window/settings_fixture.h"

#include <QKeyEvent>

namespace morvanta::testing {
namespace {

class RecorderTest : public SettingsTest {
protected:
    RecorderTest() { start(); }

    std::unique_ptr<ShortcutRecorder> makeRecorder(ConflictPolicy policy = {},
                                                   ShortcutValidator validator = {}) {
        auto r =
            std::make_unique<ShortcutRecorder>(*keys, ShortcutActions::switchShortcutName(1),
                                               recorderPlatform(), policy, std::move(validator));
        r->show();
        return r;
    }
    // A key press as the window system reports it: Qt's key plus the native codes.
    static void type(QWidget& target, Qt::Key key, Qt::KeyboardModifiers modifiers, int code,
                     int mask) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, static_cast<quint32>(code), 0,
                        static_cast<quint32>(mask));
        QApplication::sendEvent(&target, &press);
    }
};

TEST_F(RecorderTest, RecordsTheNextCombinationWithOurGrabsSuspended) {
    auto r = makeRecorder();
    EXPECT_EQ(r->text(), "Alt+1");
    EXPECT_FALSE(backend->grabbed.empty());

    r->startRecording();
    EXPECT_TRUE(r->isRecording());
    EXPECT_FALSE(center->isEnabled());
    EXPECT_TRUE(backend->grabbed.empty());           // our own keys reach the field
    type(*r, Qt::Key_Alt, Qt::AltModifier, 64, alt); // a modifier alone records nothing
    EXPECT_TRUE(r->isRecording());
    type(*r, Qt::Key_K, Qt::AltModifier, keyK, alt);
    EXPECT_FALSE(r->isRecording());
    EXPECT_EQ(binding("switchToWorkspace1"), (Shortcut{keyK, alt}));
    EXPECT_EQ(r->text(), "Alt+K");
    EXPECT_TRUE(center->isEnabled());
    EXPECT_TRUE(std::ranges::any_of(backend->grabbed, [](const auto& e) {
        return e.second == Shortcut{keyK, alt};
    }));

    // Escape stops without a change.
    r->startRecording();
    type(*r, Qt::Key_Escape, Qt::NoModifier, 53, 0);
    EXPECT_FALSE(r->isRecording());
    EXPECT_EQ(binding("switchToWorkspace1"), (Shortcut{keyK, alt}));
    EXPECT_EQ(r->text(), "Alt+K");
}

TEST_F(RecorderTest, ClearsWithTheButtonOrBackspace) {
    auto r = makeRecorder();
    r->clearShortcut();
    EXPECT_EQ(binding("switchToWorkspace1"), std::nullopt);
    EXPECT_TRUE(r->text().isEmpty());
    // The default does not come back on the next read.
    EXPECT_EQ(keys->shortcutFor(ShortcutActions::switchShortcutName(1)), std::nullopt);

    r->record(Shortcut{keyK, alt});
    r->startRecording();
    type(*r, Qt::Key_Backspace, Qt::NoModifier, 51, 0);
    EXPECT_EQ(binding("switchToWorkspace1"), std::nullopt);
    EXPECT_FALSE(r->isRecording());
    EXPECT_TRUE(center->isEnabled());
}

TEST_F(RecorderTest, RefusesADisallowedCombinationAndKeepsRecording) {
    auto r = makeRecorder();
    r->startRecording();
    type(*r, Qt::Key_K, Qt::NoModifier, keyK, 0);
    EXPECT_TRUE(r->isRecording());
    EXPECT_EQ(r->lastMessage(), SettingsTexts::disallowed);
    type(*r, Qt::Key_K, Qt::ShiftModifier, keyK, carbon::shift);
    EXPECT_TRUE(r->isRecording());
    EXPECT_EQ(binding("switchToWorkspace1"), (Shortcut{key1, alt}));
    // F-keys may stand alone; Super counts as a modifier.
    EXPECT_FALSE(ShortcutRecorder::isDisallowed(Shortcut{96, 0}));
    EXPECT_FALSE(ShortcutRecorder::isDisallowed(Shortcut{keyK, carbon::command}));
    EXPECT_TRUE(ShortcutRecorder::isDisallowed(Shortcut{126, 0})); // an arrow alone
    r->stopRecording();
    EXPECT_TRUE(center->isEnabled());

    auto allowing = makeRecorder({.disallowed = ConflictBehavior::allow});
    EXPECT_TRUE(allowing->record(Shortcut{keyK, 0}));
}

TEST_F(RecorderTest, FollowsThePolicyForOtherProgramsAndMenuItems) {
    systemShortcuts.insert(Shortcut{keyK, ctrlAlt});
    auto warned = makeRecorder();
    EXPECT_FALSE(warned->record(Shortcut{keyK, ctrlAlt}));
    EXPECT_EQ(warnings, QStringList{SettingsTexts::systemShortcut});
    confirmWarnings = true;
    auto warnedYes = makeRecorder();
    EXPECT_TRUE(warnedYes->record(Shortcut{keyK, ctrlAlt}));
    EXPECT_EQ(binding("switchToWorkspace1"), (Shortcut{keyK, ctrlAlt}));

    auto blocking = makeRecorder({.systemShortcut = ConflictBehavior::block});
    EXPECT_FALSE(blocking->record(Shortcut{keyK, ctrlAlt}));
    EXPECT_EQ(blocking->lastMessage(), SettingsTexts::systemShortcut);

    RecorderPlatform platform = recorderPlatform();
    platform.isMenuItem = [](const Shortcut& s) { return s == Shortcut{keyD, alt}; };
    ShortcutRecorder menu(*keys, ShortcutActions::switchShortcutName(1), platform);
    EXPECT_FALSE(menu.record(Shortcut{keyD, alt}));
    EXPECT_EQ(menu.lastMessage(), SettingsTexts::menuItemShortcut);

    auto validated = makeRecorder({}, [](const Shortcut& s) {
        return s.carbonKeyCode == keyA ? ShortcutValidation::disallow("Not A.")
                                       : ShortcutValidation::allow();
    });
    EXPECT_FALSE(validated->record(Shortcut{keyA, alt}));
    EXPECT_EQ(validated->lastMessage(), "Not A.");
}

} // namespace
} // namespace morvanta::testing
