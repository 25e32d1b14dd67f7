// ShortcutRecorder: a line-edit-like field that shows an action's key combination in its
// printed form ("Alt+Shift+F"), records the next combination typed into it, and stores it
// through the hot-key service. While it records, Morvanta's own global grabs are suspended so
// that their keys reach the field too. Escape cancels, Backspace or Delete (without modifiers)
// or the clear button removes the combination. A combination goes through the conflict policy
// and the validation callback before it is stored.
//
// The window-system parts come in as callbacks (RecorderPlatform), so the field itself needs
// no X connection: the application fills them from its X11 hot-key backend.
#pragma once

#include "app/shell/settings_window/shortcut_conflict_policy.h"
#include "core/subscription.h"
#include "shortcuts/keyboard_shortcuts.h"

#include <QLineEdit>
#include <functional>
#include <optional>
#include <string>

namespace morvanta {

struct RecorderPlatform {
    // The printed form of a combination; empty callback: the modifiers and the key code.
    std::function<std::string(const Shortcut&)> shortcutText;
    // The combination a key event stands for, from its native keycode and modifier state
    // (QKeyEvent::nativeScanCode and nativeModifiers on X11); none for keys Morvanta cannot
    // bind.
    std::function<std::optional<Shortcut>(quint32 nativeScanCode, quint32 nativeModifiers)>
        shortcutForKeyEvent;
    // Whether another program holds the combination globally; empty: nothing is.
    std::function<bool(const Shortcut&)> isSystemShortcut;
    // Whether one of Morvanta's menu items uses the combination; empty: none does.
    std::function<bool(const Shortcut&)> isMenuItem;
    // Asks whether to use a combination anyway after a warning; empty: a message box.
    std::function<bool(const QString& warning)> confirm;
};

class ShortcutRecorder : public QLineEdit {
public:
    ShortcutRecorder(KeyboardShortcuts& shortcuts, KeyboardShortcuts::Name name,
                     RecorderPlatform platform, ConflictPolicy policy = {},
                     ShortcutValidator validator = {}, QWidget* parent = nullptr);
    ~ShortcutRecorder() override;

    const KeyboardShortcuts::Name& name() const { return name_; }
    bool isRecording() const { return recording_; }
    void startRecording();
    // Stops without changing the stored combination.
    void stopRecording();
    // Removes the combination (the default does not come back).
    void clearShortcut();
    // Runs a recorded combination through the policy and stores it; false when refused.
    bool record(const Shortcut& shortcut);
    // Why the last combination was refused or warned about; empty when it was not.
    const QString& lastMessage() const { return lastMessage_; }

    // Combinations that would take over ordinary typing: no modifier but Shift on a key other
    // than F1 to F20.
    static bool isDisallowed(const Shortcut& shortcut);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Answers whether a combination the policy treats with `behavior` may be stored.
    bool passes(ConflictBehavior behavior, const QString& warning);
    void refuse(const QString& message);
    void showShortcut();

    KeyboardShortcuts& shortcuts_;
    KeyboardShortcuts::Name name_;
    RecorderPlatform platform_;
    ConflictPolicy policy_;
    ShortcutValidator validator_;
    QAction* clearAction_;
    Subscription changeObserver_;
    bool recording_ = false;
    bool centerWasEnabled_ = true;
    QString lastMessage_;
};

} // namespace morvanta
