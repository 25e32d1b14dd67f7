// PanelItems: the rows of the action mode and of the workspace picker.
#include "app/commands/panel_items.h"

#include "app/commands/shortcut_actions.h"
#include "app/controller/tiling_controller.h"
#include "app/settings/app_settings.h"
#include "core/workspace_numbers.h"

#include <QCoreApplication>
#include <algorithm>
#include <set>

namespace morvanta {

PanelItems::PanelItems(TilingController& controller, AppSettings& settings,
                       PanelCallbacks callbacks, AppDirectory& apps)
    : controller_(controller), settings_(settings), callbacks_(std::move(callbacks)), apps_(apps) {}

std::string PanelItems::windowCountText(int count) {
    if (count == 0)
        return "empty";
    if (count == 1)
        return "1 window";
    return std::to_string(count) + " windows";
}

std::function<void()>
PanelItems::onController(std::function<void(TilingController&)> command) const {
    return [alive = controller_.lifetime(), command = std::move(command)] {
        if (auto* controller = alive.get())
            command(*controller);
    };
}

std::string PanelItems::shortcutText(const std::string& name) const {
    return callbacks_.shortcutText ? callbacks_.shortcutText(name) : std::string();
}

std::vector<PanelItem> PanelItems::actionItems() const {
    const auto numbers = controller_.manager().allWorkspaceNumbers();
    const auto& summaries = controller_.summaries().get();
    std::vector<PanelItem> items;
    for (int number : numbers) {
        int count = 0;
        if (!summaries.empty())
            if (auto it = summaries.front().counts.find(number);
                it != summaries.front().counts.end())
                count = it->second;
        items.push_back({"switch" + std::to_string(number),
                         "Switch to workspace " + workspaceLabel(number),
                         windowCountText(count),
                         {},
                         shortcutText(ShortcutActions::switchShortcutName(number).rawValue),
                         std::nullopt,
                         onController([number](TilingController& c) {
                             c.commands().switchToWorkspace(number);
                         })});
    }
    for (int number : numbers)
        items.push_back({"move" + std::to_string(number),
                         "Move window to workspace " + workspaceLabel(number),
                         "",
                         {},
                         shortcutText(ShortcutActions::moveShortcutName(number).rawValue),
                         std::nullopt,
                         onController([number](TilingController& c) {
                             c.commands().moveFocusedWindow(number);
                         })});
    for (LayoutKind kind : allLayoutKinds)
        items.push_back(
            {"layout-" + std::string(rawValue(kind)),
             "Layout: " + std::string(displayName(kind)),
             "",
             {},
             "",
             std::nullopt,
             onController([kind](TilingController& c) { c.commands().setLayout(kind); })});
    auto fixed = fixedItems();
    items.insert(items.end(), fixed.begin(), fixed.end());
    return items;
}

std::vector<PanelItem> PanelItems::fixedItems() const {
    auto row = [this](std::string id, std::string title, const std::string& shortcutName,
                      std::function<void()> run) {
        return PanelItem{std::move(id),
                         std::move(title),
                         "",
                         {},
                         shortcutName.empty() ? "" : shortcutText(shortcutName),
                         std::nullopt,
                         std::move(run)};
    };
    auto callback = [](const std::function<void()>& supplied) {
        return [supplied] {
            if (supplied)
                supplied();
        };
    };
    AppSettings* settings = &settings_;
    std::function<void()> quit = callbacks_.quit;
    if (!quit)
        quit = [] { QCoreApplication::quit(); };
    return {
        row("back", "Previous workspace", "previousWorkspace",
            onController([](TilingController& c) { c.commands().previousWorkspace(); })),
        row("next-layout", "Next layout", "nextLayout",
            onController([](TilingController& c) { c.commands().cycleLayout(); })),
        row("float", "Float or tile this window", "toggleFloating",
            onController([](TilingController& c) { c.commands().toggleFloat(); })),
        row("grow", "Make main window bigger", "growMain",
            onController([](TilingController& c) { c.commands().adjustMainRatio(0.05); })),
        row("shrink", "Make main window smaller", "shrinkMain",
            onController([](TilingController& c) { c.commands().adjustMainRatio(-0.05); })),
        row("border", settings_.borderEnabled() ? "Hide focus border" : "Show focus border", "",
            [settings] { settings->setBorderEnabled(!settings->borderEnabled()); }),
        row("settings", "Open Settings", "", callback(callbacks_.showSettings)),
        row("pause",
            controller_.isPaused().get() ? "Resume tiling" : "Pause tiling (show all windows)",
            "togglePause",
            onController([](TilingController& c) { c.commands().setPaused(!c.isPaused().get()); })),
        row("diagnostics", "Open Diagnostics", "", callback(callbacks_.showDiagnostics)),
        row("quit", "Quit Morvanta", "", quit),
    };
}

std::vector<PanelItem> PanelItems::workspaceItems() const {
    const auto& summaries = controller_.summaries().get();
    std::vector<PanelItem> items;
    for (int number : controller_.manager().allWorkspaceNumbers()) {
        auto owner = std::find_if(summaries.begin(), summaries.end(), [number](const auto& s) {
            return std::find(s.numbers.begin(), s.numbers.end(), number) != s.numbers.end();
        });
        if (owner != summaries.end())
            items.push_back(workspaceItem(number, *owner, summaries.size() > 1));
    }
    return items;
}

PanelItem PanelItems::workspaceItem(int number, const DisplaySummary& summary,
                                    bool manyDisplays) const {
    std::vector<std::int32_t> pids;
    if (auto it = summary.appPIDs.find(number); it != summary.appPIDs.end())
        pids = it->second;
    std::map<std::int32_t, std::optional<AppDirectory::Entry>> running;
    for (auto pid : pids)
        if (!running.contains(pid))
            running.emplace(pid, application(pid));

    // One name per window, in window order; one icon per process, by ascending process id.
    std::string names;
    for (auto pid : pids)
        if (const auto& app = running[pid])
            names += (names.empty() ? "" : ", ") + app->name;
    std::vector<QIcon> icons;
    for (const auto& [pid, app] : running)
        if (app)
            icons.push_back(app->icon);

    std::string detail = names.empty() ? "empty" : names;
    if (manyDisplays)
        detail += "  ·  " + summary.name;
    return {
        "ws" + std::to_string(number),
        workspaceLabel(number),
        detail,
        std::move(icons),
        number == summary.activeNumber ? "showing" : "",
        isDigitWorkspace(number) ? std::optional<int>(number) : std::nullopt,
        onController([number](TilingController& c) { c.commands().switchToWorkspace(number); })};
}

std::optional<AppDirectory::Entry> PanelItems::application(std::int32_t pid) const {
    for (const auto& [id, window] : controller_.registry().allWindows()) {
        // A window whose frame cannot be read is gone, and with its last window the process.
        if (window.pid() != pid || !window.frame())
            continue;
        return apps_.entryFor(window.bundleIdentifier().value_or(""), window.appName());
    }
    return std::nullopt;
}

} // namespace morvanta
