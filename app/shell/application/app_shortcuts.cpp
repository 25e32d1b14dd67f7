#include "app/shell/application/app_shortcuts.h"

namespace morvanta {

AppShortcuts::AppShortcuts(std::unique_ptr<GlobalHotKeys> hotKeys, WindowSystem& system,
                           PreferencesDomain& domain, AppSettings& settings, RunLoop& loop)
    : loop_(loop), hotKeys_(std::move(hotKeys)), center_(*hotKeys_), storage_(domain),
      shortcuts_(storage_, center_), actions_(shortcuts_, settings) {
    if (hotKeys_->ok() && hotKeys_->fileDescriptor() >= 0)
        watch_ = loop_.watch(hotKeys_->fileDescriptor(), [this, &system] {
            system.sendTogether([this] { hotKeys_->dispatch(); });
        });
}

AppShortcuts::~AppShortcuts() {
    if (watch_ != 0)
        loop_.cancel(watch_);
}

std::string AppShortcuts::printed(const std::string& actionName) {
    for (const auto& entry : actions_.shortcutEntries()) {
        if (entry.name.rawValue != actionName)
            continue;
        const auto shortcut = shortcuts_.shortcutFor(entry.name);
        return shortcut ? hotKeys_->shortcutText(*shortcut) : std::string();
    }
    return {};
}

Subscription AppShortcuts::reportRefusals(std::function<void(const std::string&)> report) {
    return shortcuts_.addRegistrationFailedObserver(
        [this, report = std::move(report)](const Shortcut& refused) {
            if (!reported_.insert(refused.toJson()).second)
                return;
            std::string titles;
            for (const auto& entry : actions_.shortcutEntries())
                if (shortcuts_.shortcutFor(entry.name) == refused)
                    titles += (titles.empty() ? "" : ", ") + entry.title;
            report("⚠️ " + hotKeys_->shortcutText(refused) +
                   (titles.empty() ? "" : " (" + titles + ")") +
                   " is taken by another program, perhaps the window manager; choose another "
                   "shortcut in Settings.");
        });
}

} // namespace morvanta
