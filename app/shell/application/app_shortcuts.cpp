#include "app/shell/application/app_shortcuts.h"

#include <algorithm>

namespace morvanta {

AppShortcuts::AppShortcuts(std::unique_ptr<GlobalHotKeys> hotKeys, WindowSystem& system,
                           PreferencesDomain& domain, AppSettings& settings, RunLoop& loop)
    : loop_(loop), hotKeys_(std::move(hotKeys)), center_(*hotKeys_), storage_(domain),
      shortcuts_(storage_, center_), actions_(shortcuts_, settings) {
    // Grabs come later (when the actions attach): by then both members the labeler reads exist.
    hotKeys_->setLabeler([this](const Shortcut& shortcut) { return labelFor(shortcut); });
    if (hotKeys_->ok() && hotKeys_->fileDescriptor() >= 0)
        watch_ = loop_.watch(hotKeys_->fileDescriptor(), [this, &system] {
            system.sendTogether([this] { hotKeys_->dispatch(); });
        });
}

AppShortcuts::~AppShortcuts() {
    if (watch_ != 0)
        loop_.cancel(watch_);
}

std::optional<HotKeyLabel> AppShortcuts::labelFor(const Shortcut& shortcut) const {
    const auto names = shortcuts_.namesBoundTo(shortcut);
    if (names.empty())
        return std::nullopt;
    std::string title;
    for (const auto& entry : actions_.shortcutEntries())
        if (std::ranges::find(names, entry.name.rawValue) != names.end())
            title += (title.empty() ? "" : ", ") + entry.title;
    // The first action's name (sorted) stays the same from run to run while the binding does.
    return HotKeyLabel{names.front(), title};
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
