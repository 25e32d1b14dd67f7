#include "app/ipc/controller_ipc_target.h"

#include "app/commands/shortcut_actions.h"
#include "app/controller/tiling_controller.h"
#include "core/workspace_numbers.h"

#include <algorithm>
#include <memory>

namespace morvanta {

namespace {
template <class List, class Value> bool contains(const List& list, const Value& value) {
    return std::ranges::find(list, value) != std::ranges::end(list);
}
} // namespace

ControllerIpcTarget::ControllerIpcTarget(TilingController& controller, AppSettings& settings,
                                         ShortcutActions* actions, std::string version)
    : controller_(controller), settings_(settings), actions_(actions),
      version_(std::move(version)) {}

bool ControllerIpcTarget::exists(int number) const {
    return contains(controller_.manager().allWorkspaceNumbers(), number);
}

IpcState::Workspace ControllerIpcTarget::workspace(int number) {
    const auto& manager = controller_.manager();
    const auto record = manager.workspaceRecord(number);
    const auto display = manager.displayForWorkspace(number);
    IpcState::Workspace out{number,
                            workspaceLabel(number),
                            settings_.workspaceName(number),
                            std::string(rawValue(record.layout)),
                            display ? display->raw : std::string(),
                            {}};
    for (const WindowID id : record.windows) {
        const auto window = controller_.registry().windowFor(id);
        if (!window)
            continue;
        out.windows.push_back({window->id(), window->appName(), window->title(),
                               window->frame().value_or(Rect{}), manager.isFloating(id),
                               manager.focused() == id});
    }
    return out;
}

IpcState ControllerIpcTarget::state() {
    IpcState state;
    state.version = version_;
    state.paused = controller_.isPaused().get();
    const auto& manager = controller_.manager();
    for (const auto& summary : controller_.summaries().get())
        state.displays.push_back({summary.id.raw, summary.name, summary.frame,
                                  workspaceLabel(manager.activeWorkspaceNumber(summary.id))});
    // The tray's order: each display's workspaces in turn, then any no display owns.
    std::vector<int> order;
    for (const auto& display : manager.displays())
        for (const int number : manager.workspacesOnDisplay(display))
            if (!contains(order, number))
                order.push_back(number);
    for (const int number : manager.allWorkspaceNumbers())
        if (!contains(order, number))
            order.push_back(number);
    for (const int number : order)
        state.workspaces.push_back(workspace(number));
    return state;
}

bool ControllerIpcTarget::paused() {
    return controller_.isPaused().get();
}

std::vector<std::string> ControllerIpcTarget::actionNames() {
    std::vector<std::string> names;
    if (actions_)
        for (const auto& entry : actions_->shortcutEntries())
            names.push_back(entry.name.rawValue);
    return names;
}

IpcTarget::Result ControllerIpcTarget::runAction(const std::string& name) {
    const auto names = actionNames();
    if (!actions_ || !contains(names, name))
        return Result::unknownAction;
    return actions_->perform(name) ? Result::done : Result::unknownAction;
}

IpcTarget::Result ControllerIpcTarget::showWorkspace(int number) {
    if (!exists(number))
        return Result::unknownWorkspace;
    controller_.commands().switchToWorkspace(number);
    return Result::done;
}

IpcTarget::Result ControllerIpcTarget::moveFocusedWindow(int number) {
    if (!exists(number))
        return Result::unknownWorkspace;
    const auto focused = controller_.focusedWindow();
    const auto id = focused ? controller_.registry().idFor(*focused) : std::nullopt;
    const bool tiled = id && controller_.manager().workspaceNumberOf(*id).has_value();
    // Called either way: without a tiled window the controller only logs that none is focused.
    controller_.commands().moveFocusedWindow(number);
    return tiled ? Result::done : Result::noFocusedWindow;
}

IpcTarget::Result ControllerIpcTarget::setLayout(LayoutKind kind) {
    controller_.commands().setLayout(kind);
    return Result::done;
}

IpcTarget::Result ControllerIpcTarget::setPaused(bool paused) {
    controller_.commands().setPaused(paused);
    return Result::done;
}

Subscription ControllerIpcTarget::watch(std::function<void()> changed) {
    // One subscription that ends the four observations together.
    auto parts = std::make_shared<std::vector<Subscription>>();
    parts->push_back(controller_.summaries().addObserver([changed](const auto&) { changed(); }));
    parts->push_back(controller_.isPaused().addObserver([changed](const auto&) { changed(); }));
    parts->push_back(
        controller_.currentNumber().addObserver([changed](const auto&) { changed(); }));
    parts->push_back(controller_.focused().addObserver([changed](const auto&) { changed(); }));
    return Subscription([parts] { parts->clear(); });
}

} // namespace morvanta
