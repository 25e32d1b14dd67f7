// ShortcutsPage: the welcome guide's shortcut choice (Standard, Safer or none) and the current
// bindings of three actions worth learning. The bindings' printed forms come from the
// application (the hot-key service prints them for the keyboard layout), so the page needs no
// X connection of its own; they are read again whenever the choice changes.
#pragma once

#include "core/subscription.h"

#include <QWidget>
#include <array>
#include <functional>
#include <string>

class QLabel;
class QRadioButton;

namespace morvanta {

class AppSettings;

class ShortcutsPage : public QWidget {
public:
    enum class Choice { standard, safer, none };
    // The printed binding of a shortcut name ("Alt+Shift+;"); empty when it has none.
    using ShortcutText = std::function<std::string(const std::string& name)>;

    // The three shortcut names whose bindings the page shows, in order.
    static constexpr std::array<const char*, 3> learnNames = {
        "commandPalette", "switchToWorkspace2", "moveToWorkspace2"};

    ShortcutsPage(AppSettings& settings, ShortcutText shortcutText, QWidget* parent = nullptr);
    ~ShortcutsPage() override;

    void choose(Choice choice);
    Choice currentChoice() const;
    // The binding texts as shown, in the order of learnNames.
    std::array<QString, 3> shownBindings() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showSettings();

    AppSettings& settings_;
    ShortcutText shortcutText_;
    Subscription settingsObserver_;
    std::array<QRadioButton*, 3> choices_{};
    std::array<QLabel*, 3> bindings_{};
};

} // namespace morvanta
