#include "app/shell/settings_window/shortcut_recorder.h"

#include "app/shell/settings_window/settings_texts.h"
#include "shortcuts/modifiers.h"

#include <QAction>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <array>

namespace morvanta {

namespace {

// F1 to F20: keys nobody types text with, so they may stand alone.
constexpr std::array<int, 20> functionKeys = {122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                              103, 111, 105, 107, 113, 106, 64, 79,  80,  90};

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

bool askWithMessageBox(QWidget* parent, const QString& warning) {
    QMessageBox box(QMessageBox::Warning, SettingsTexts::windowTitle, warning, QMessageBox::Cancel,
                    parent);
    QPushButton* use = box.addButton(SettingsTexts::useAnyway, QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == use;
}

} // namespace

ShortcutRecorder::ShortcutRecorder(KeyboardShortcuts& shortcuts, KeyboardShortcuts::Name name,
                                   RecorderPlatform platform, ConflictPolicy policy,
                                   ShortcutValidator validator, QWidget* parent)
    : QLineEdit(parent), shortcuts_(shortcuts), name_(std::move(name)),
      platform_(std::move(platform)), policy_(policy), validator_(std::move(validator)) {
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setPlaceholderText(SettingsTexts::recorderPlaceholder);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumWidth(150);
    setContextMenuPolicy(Qt::NoContextMenu);
    clearAction_ = addAction(style()->standardIcon(QStyle::SP_LineEditClearButton),
                             QLineEdit::TrailingPosition);
    clearAction_->setText(SettingsTexts::recorderClear);
    clearAction_->setToolTip(SettingsTexts::recorderClear);
    connect(clearAction_, &QAction::triggered, this, [this] { clearShortcut(); });
    changeObserver_ = shortcuts_.addChangeObserver([this](const KeyboardShortcuts::Name& changed) {
        if (changed == name_ && !recording_)
            showShortcut();
    });
    showShortcut();
}

ShortcutRecorder::~ShortcutRecorder() {
    if (recording_)
        shortcuts_.center().setEnabled(centerWasEnabled_);
}

bool ShortcutRecorder::isDisallowed(const Shortcut& shortcut) {
    const int significant = carbon::control | carbon::option | carbon::command;
    if (shortcut.carbonModifiers & significant)
        return false;
    return std::ranges::find(functionKeys, shortcut.carbonKeyCode) == functionKeys.end();
}

void ShortcutRecorder::startRecording() {
    if (recording_)
        return;
    recording_ = true;
    lastMessage_.clear();
    centerWasEnabled_ = shortcuts_.center().isEnabled();
    shortcuts_.center().setEnabled(false);
    clear();
    setPlaceholderText(SettingsTexts::recorderRecording);
    clearAction_->setVisible(false);
    if (!hasFocus())
        setFocus(Qt::OtherFocusReason);
}

void ShortcutRecorder::stopRecording() {
    if (!recording_)
        return;
    recording_ = false;
    shortcuts_.center().setEnabled(centerWasEnabled_);
    setPlaceholderText(SettingsTexts::recorderPlaceholder);
    showShortcut();
}

void ShortcutRecorder::clearShortcut() {
    stopRecording();
    shortcuts_.storeShortcut(std::nullopt, name_);
    showShortcut();
}

bool ShortcutRecorder::record(const Shortcut& shortcut) {
    lastMessage_.clear();
    if (isDisallowed(shortcut) && !passes(policy_.disallowed, SettingsTexts::disallowed))
        return false;
    if (validator_) {
        const ShortcutValidation result = validator_(shortcut);
        if (!result.allowed) {
            refuse(QString::fromStdString(result.reason));
            return false;
        }
    }
    if (platform_.isMenuItem && platform_.isMenuItem(shortcut) &&
        !passes(policy_.menuItem, SettingsTexts::menuItemShortcut))
        return false;
    // Our own grabs are suspended while recording, so only other programs' grabs count here.
    if (platform_.isSystemShortcut && platform_.isSystemShortcut(shortcut) &&
        !passes(policy_.systemShortcut, SettingsTexts::systemShortcut))
        return false;
    stopRecording();
    shortcuts_.storeShortcut(shortcut, name_);
    showShortcut();
    return true;
}

bool ShortcutRecorder::passes(ConflictBehavior behavior, const QString& warning) {
    switch (behavior) {
    case ConflictBehavior::allow:
        return true;
    case ConflictBehavior::block:
        refuse(warning);
        return false;
    case ConflictBehavior::warn:
        lastMessage_ = warning;
        if (platform_.confirm ? platform_.confirm(warning) : askWithMessageBox(this, warning))
            return true;
        return false;
    }
    return false;
}

void ShortcutRecorder::refuse(const QString& message) {
    lastMessage_ = message;
    if (isVisible())
        QToolTip::showText(mapToGlobal(rect().bottomLeft()), message, this);
}

void ShortcutRecorder::keyPressEvent(QKeyEvent* event) {
    if (!recording_) {
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return) {
            startRecording();
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    if (isModifierKey(event->key()))
        return;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && event->key() == Qt::Key_Escape) {
        stopRecording();
        return;
    }
    if (plain && (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)) {
        clearShortcut();
        return;
    }
    if (!platform_.shortcutForKeyEvent)
        return;
    const auto shortcut =
        platform_.shortcutForKeyEvent(event->nativeScanCode(), event->nativeModifiers());
    if (shortcut)
        record(*shortcut);
}

void ShortcutRecorder::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    startRecording();
}

void ShortcutRecorder::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A warning dialog takes the focus for a moment; recording goes on behind it.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        stopRecording();
}

void ShortcutRecorder::showShortcut() {
    const auto shortcut = shortcuts_.shortcutFor(name_);
    clearAction_->setVisible(shortcut.has_value());
    if (!shortcut) {
        clear();
        return;
    }
    if (platform_.shortcutText) {
        setText(QString::fromStdString(platform_.shortcutText(*shortcut)));
        return;
    }
    setText(QString::fromStdString(modifierPrefix(shortcut->carbonModifiers) + "key " +
                                   std::to_string(shortcut->carbonKeyCode)));
}

} // namespace morvanta
