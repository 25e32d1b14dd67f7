#include "app/shell/app_shortcuts.h"

namespace morvanta {

AppShortcuts::AppShortcuts(const std::string& display, PreferencesDomain& domain,
                           AppSettings& settings, RunLoop& loop)
    : loop_(loop), hotKeys_(display), center_(hotKeys_), storage_(domain),
      shortcuts_(storage_, center_), actions_(shortcuts_, settings) {
    if (hotKeys_.ok())
        watch_ = loop_.watch(hotKeys_.fileDescriptor(), [this] { hotKeys_.dispatch(); });
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
        return shortcut ? hotKeys_.shortcutText(*shortcut) : std::string();
    }
    return {};
}

} // namespace morvanta
