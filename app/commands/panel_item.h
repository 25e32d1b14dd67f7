// PanelItem: one row of the command panel. What the row shows (title, secondary text,
// application icons, the right-aligned shortcut text or tag), the digit key that runs it
// directly in the workspace picker, and the command it runs. A plain value, copied freely.
#pragma once

#include <QIcon>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

struct PanelItem {
    // Stable identity of the row ("switch3", "layout-grid", "ws4").
    std::string id;
    std::string title;
    // Secondary text; may be empty.
    std::string detail;
    std::vector<QIcon> icons;
    // The bound shortcut in its printed form, a tag such as "showing", or empty.
    std::string shortcut;
    std::optional<int> digit;
    std::function<void()> run;
};

} // namespace morvanta
