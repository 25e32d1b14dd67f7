#include "app/ipc/ipc_state.h"

#include "app/ipc/ipc_request.h"

#include <cmath>
#include <optional>

namespace morvanta {

namespace {

using ordered = nlohmann::ordered_json;

ordered frameJson(const Rect& frame) {
    const auto whole = [](double v) { return static_cast<long long>(std::lround(v)); };
    return ordered{{"x", whole(frame.x)},
                   {"y", whole(frame.y)},
                   {"width", whole(frame.width)},
                   {"height", whole(frame.height)}};
}

ordered windowJson(const IpcState::Window& w) {
    return ordered{{"id", w.id},
                   {"app", w.app},
                   {"title", w.title},
                   {"frame", frameJson(w.frame)},
                   {"floating", w.floating},
                   {"focused", w.focused}};
}

std::vector<std::string> shownLabels(const IpcState& state) {
    std::vector<std::string> labels;
    for (const auto& display : state.displays)
        labels.push_back(display.workspace);
    return labels;
}

std::vector<std::pair<std::string, std::string>> displayIdentities(const IpcState& state) {
    std::vector<std::pair<std::string, std::string>> identities;
    for (const auto& display : state.displays)
        identities.emplace_back(display.id, display.name);
    return identities;
}

std::vector<std::string> layouts(const IpcState& state) {
    std::vector<std::string> names;
    for (const auto& workspace : state.workspaces)
        names.push_back(workspace.label + ":" + workspace.layout);
    return names;
}

std::vector<std::pair<std::string, std::vector<std::uint32_t>>> windowIds(const IpcState& state) {
    std::vector<std::pair<std::string, std::vector<std::uint32_t>>> ids;
    for (const auto& workspace : state.workspaces) {
        auto& entry = ids.emplace_back(workspace.label, std::vector<std::uint32_t>{});
        for (const auto& window : workspace.windows)
            entry.second.push_back(window.id);
    }
    return ids;
}

std::optional<std::uint32_t> focusedId(const IpcState& state) {
    for (const auto& workspace : state.workspaces)
        for (const auto& window : workspace.windows)
            if (window.focused)
                return window.id;
    return std::nullopt;
}

} // namespace

nlohmann::ordered_json IpcState::toJson() const {
    ordered displayList = ordered::array();
    for (const auto& display : displays)
        displayList.push_back(ordered{{"id", display.id},
                                      {"name", display.name},
                                      {"frame", frameJson(display.frame)},
                                      {"workspace", display.workspace}});
    ordered workspaceList = ordered::array();
    for (const auto& w : workspaces) {
        ordered windowList = ordered::array();
        for (const auto& window : w.windows)
            windowList.push_back(windowJson(window));
        workspaceList.push_back(ordered{{"number", w.number},
                                        {"label", w.label},
                                        {"name", w.name},
                                        {"layout", w.layout},
                                        {"display", w.display},
                                        {"windows", std::move(windowList)}});
    }
    return ordered{{"protocol", IpcRequest::protocol},
                   {"version", version},
                   {"paused", paused},
                   {"displays", std::move(displayList)},
                   {"workspaces", std::move(workspaceList)}};
}

std::vector<std::string> IpcState::changesSince(const IpcState& before) const {
    std::vector<std::string> kinds;
    if (paused != before.paused)
        kinds.emplace_back("pause");
    if (displayIdentities(*this) != displayIdentities(before))
        kinds.emplace_back("displays");
    if (shownLabels(*this) != shownLabels(before))
        kinds.emplace_back("workspace");
    if (layouts(*this) != layouts(before))
        kinds.emplace_back("layout");
    if (windowIds(*this) != windowIds(before))
        kinds.emplace_back("windows");
    if (focusedId(*this) != focusedId(before))
        kinds.emplace_back("focus");
    return kinds;
}

} // namespace morvanta
