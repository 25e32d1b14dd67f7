// AppShortcuts: the global shortcuts of the running application: the desktop's key grabs, the
// hot-key centre, the bindings stored in the preferences domain, and the shortcut actions that
// attach them to the controller. The run loop watches the grabs' connection and dispatches key
// presses on the main thread. Where the desktop lists global shortcuts (Plasma), each
// combination is named after the actions it runs.
#pragma once

#include "app/commands/preferences_shortcut_storage.h"
#include "app/commands/shortcut_actions.h"
#include "app/controller/run_loop.h"
#include "ax/window_system.h"
#include "shortcuts/global_hot_keys.h"
#include "shortcuts/hot_key_center.h"
#include "shortcuts/keyboard_shortcuts.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace morvanta {

class AppShortcuts {
public:
    // Over the desktop's key grabs (never null); check ok() before use. A key press's command
    // sends its requests to `system` together.
    AppShortcuts(std::unique_ptr<GlobalHotKeys> hotKeys, WindowSystem& system,
                 PreferencesDomain& domain, AppSettings& settings, RunLoop& loop);
    ~AppShortcuts();
    AppShortcuts(const AppShortcuts&) = delete;
    AppShortcuts& operator=(const AppShortcuts&) = delete;

    bool ok() const { return hotKeys_->ok(); }
    const std::string& error() const { return hotKeys_->error(); }

    ShortcutActions& actions() { return actions_; }
    HotKeyCenter& center() { return center_; }
    GlobalHotKeys& hotKeys() { return *hotKeys_; }
    // The printed binding of an action ("Alt+2"); empty when it is unbound or unknown.
    std::string printed(const std::string& actionName);
    // Calls `report` once for each combination another program holds (a window manager binds
    // some of the same keys by default), with a sentence that names the actions left without it.
    [[nodiscard]] Subscription reportRefusals(std::function<void(const std::string&)> report);

private:
    // How a desktop that lists shortcuts (Plasma) names a combination: after the actions bound
    // to it, whose titles it shows; none for a combination no action is bound to.
    std::optional<HotKeyLabel> labelFor(const Shortcut& shortcut) const;

    RunLoop& loop_;
    std::unique_ptr<GlobalHotKeys> hotKeys_;
    HotKeyCenter center_;
    PreferencesShortcutStorage storage_;
    KeyboardShortcuts shortcuts_;
    ShortcutActions actions_;
    RunLoop::TaskID watch_ = 0;
    std::set<std::string> reported_; // refused combinations already told, in stored form
};

} // namespace morvanta
