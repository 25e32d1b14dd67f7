// ShortcutActions: every global keyboard action by name, with its title and default keys in
// both shortcut styles, the list of entries the settings show and edit, and the attachment of
// each action to the tiling controller through the hot-key service. Letter workspaces get
// their keys only when they are created and only where no other action already uses them.
//
// The application creates one, over its hot-key service and settings (whose two shortcut
// follow-ups it fills), connects it to the controller with setLetterShortcuts, and calls
// installShortcuts once the controller has started. Main thread only.
#pragma once

#include "app/controller/letter_shortcuts.h"
#include "app/settings/app_settings.h"
#include "core/weak_self.h"
#include "shortcuts/keyboard_shortcuts.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace morvanta {

class TilingController;

// One row of the shortcut list: the action's name and what the user reads.
struct ShortcutEntry {
    KeyboardShortcuts::Name name;
    std::string title;
};

class ShortcutActions : public LetterShortcuts {
public:
    using Name = KeyboardShortcuts::Name;

    ShortcutActions(KeyboardShortcuts& shortcuts, AppSettings& settings);
    ~ShortcutActions() override;
    ShortcutActions(const ShortcutActions&) = delete;
    ShortcutActions& operator=(const ShortcutActions&) = delete;

    // "switchToWorkspace1" … "9" with their Standard defaults; other workspaces by label
    // ("switchToWorkspaceC"), without a default.
    static Name switchShortcutName(int number);
    static Name moveShortcutName(int number);

    // Switch 1 … 9, switch to each letter workspace, move 1 … 9, move to each letter
    // workspace, then the fixed actions. Rebuilt on every call.
    std::vector<ShortcutEntry> shortcutEntries() const;

    void setShortcutsEnabled(bool enabled) override;
    // Rebinds every action that has a default to that default in the given style (replacing
    // customised bindings), then assigns the letter workspaces' keys again.
    void applyStyle(ShortcutStyle style);
    LetterShortcutsAssigned assignLetterShortcuts(int number, ShortcutStyle style) override;
    void clearLetterShortcuts(int number) override;

    // Attaches every action to the controller's commands; the two callbacks open the command
    // panel with all actions and as a workspace picker. Calling it again replaces the actions.
    void installShortcuts(TilingController& controller, std::function<void()> showCommandPanel,
                          std::function<void()> showWorkspaceSwitcher);
    void registerLetterHandlers(int number) override;
    // Runs the action named `name` exactly as its key would; false when no action of that name
    // is attached (before installShortcuts, or a letter workspace that does not exist).
    bool perform(const std::string& name);

    const std::vector<int>& letterShortcutWorkspaces() const { return letters_; }
    void setLetterShortcutWorkspaces(const std::vector<int>& numbers) override;

    KeyboardShortcuts& keyboardShortcuts() { return shortcuts_; }

private:
    // Runs `command` on the controller while it exists.
    void attach(const Name& name, std::function<void(TilingController&)> command);
    void detach(const Name& name);
    bool takenByAnotherEntry(const Name& name, const Shortcut& candidate);

    KeyboardShortcuts& shortcuts_;
    AppSettings& settings_;
    std::vector<int> letters_;
    WeakSelf<TilingController>::Ref controllerLifetime_;
    // The command of each action this object attached, by name, so it can take them back and
    // run them on request.
    std::map<std::string, std::function<void()>> attached_;
};

} // namespace morvanta
