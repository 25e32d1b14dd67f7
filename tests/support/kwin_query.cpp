#include "tests/support/kwin_query.h"

#include "tests/support/kwin_bus_client.h"

#include <nlohmann/json.hpp>

namespace morvanta::testing {

namespace {

using nlohmann::json;

// The script's body. `probe` (defined before it) says what to do; the script reports either
// {"token", "windows", "screens"} or {"token", "error"}. KWin 5 names the window list, the
// active window and the outputs differently from KWin 6; both are handled.
constexpr const char* scriptBody = R"js(
function report(content) {
    content.token = probe.token;
    callDBus(sink.service, sink.path, sink.iface, "Report", JSON.stringify(content));
}
function rect(r) { return [r.x, r.y, r.width, r.height]; }
function allWindows() {
    return typeof workspace.windowList === "function" ? workspace.windowList()
                                                      : workspace.clientList();
}
function activeWindow() {
    return workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient;
}
function describe(w, active) {
    return {id: String(w.internalId), pid: w.pid, caption: String(w.caption),
            resourceClass: String(w.resourceClass), frame: rect(w.frameGeometry),
            minimized: !!w.minimized, active: active !== null && w === active,
            normal: !!w.normalWindow};
}
function screens() {
    var list = [];
    if (workspace.screens !== undefined) {
        for (var o = 0; o < workspace.screens.length; ++o) {
            var output = workspace.screens[o];
            list.push({geometry: rect(output.geometry),
                       area: rect(workspace.clientArea(KWin.MaximizeArea, output,
                                                       workspace.currentDesktop))});
        }
        return list;
    }
    for (var s = 0; s < workspace.numScreens; ++s)
        list.push({geometry: rect(workspace.clientArea(KWin.ScreenArea, s, workspace.currentDesktop)),
                   area: rect(workspace.clientArea(KWin.MaximizeArea, s, workspace.currentDesktop))});
    return list;
}
function find(id) {
    var windows = allWindows();
    for (var i = 0; i < windows.length; ++i)
        if (String(windows[i].internalId) === id)
            return windows[i];
    return null;
}
function act() {
    if (probe.op === "read")
        return "";
    var w = find(probe.id);
    if (w === null)
        return "no window " + probe.id;
    if (probe.op === "frame")
        w.frameGeometry = {x: probe.frame[0], y: probe.frame[1], width: probe.frame[2],
                           height: probe.frame[3]};
    else if (probe.op === "minimize")
        w.minimized = probe.on;
    else if (probe.op === "activate") {
        if (workspace.activeWindow !== undefined)
            workspace.activeWindow = w;
        else
            workspace.activeClient = w;
    }
    return "";
}
try {
    var failure = act();
    if (failure !== "") {
        report({error: failure});
    } else {
        var active = activeWindow();
        var windows = allWindows().map(function (w) { return describe(w, active); });
        report({windows: windows, screens: screens()});
    }
} catch (e) {
    report({error: "script: " + e});
}
)js";

const char* opName(KWinQuery::Op op) {
    switch (op) {
    case KWinQuery::Op::read:
        return "read";
    case KWinQuery::Op::frame:
        return "frame";
    case KWinQuery::Op::minimize:
        return "minimize";
    case KWinQuery::Op::activate:
        return "activate";
    }
    return "read";
}

KWinRect rectFrom(const json& value) {
    const auto numbers = value.get<std::vector<double>>();
    if (numbers.size() != 4)
        throw std::runtime_error("a rectangle needs four numbers");
    return {static_cast<int>(numbers[0]), static_cast<int>(numbers[1]),
            static_cast<int>(numbers[2]), static_cast<int>(numbers[3])};
}

KWinWindow windowFrom(const json& value) {
    KWinWindow window;
    window.id = value.at("id").get<std::string>();
    window.pid = value.at("pid").get<std::int64_t>();
    window.caption = value.at("caption").get<std::string>();
    window.resourceClass = value.at("resourceClass").get<std::string>();
    window.frame = rectFrom(value.at("frame"));
    window.minimized = value.at("minimized").get<bool>();
    window.active = value.at("active").get<bool>();
    window.normal = value.at("normal").get<bool>();
    return window;
}

} // namespace

std::ostream& operator<<(std::ostream& out, const KWinRect& rect) {
    return out << "[" << rect.x << ", " << rect.y << ", " << rect.width << ", " << rect.height
               << "]";
}

std::ostream& operator<<(std::ostream& out, const KWinWindow& window) {
    return out << window.id << " \"" << window.caption << "\" class " << window.resourceClass
               << " pid " << window.pid << " frame " << window.frame
               << (window.minimized ? " minimized" : "") << (window.active ? " active" : "");
}

KWinQuery KWinQuery::setFrame(std::uint64_t token, const std::string& id, const KWinRect& frame) {
    KWinQuery query(token);
    query.op_ = Op::frame;
    query.id_ = id;
    query.frame_ = frame;
    return query;
}

KWinQuery KWinQuery::minimize(std::uint64_t token, const std::string& id, bool on) {
    KWinQuery query(token);
    query.op_ = Op::minimize;
    query.id_ = id;
    query.on_ = on;
    return query;
}

KWinQuery KWinQuery::activate(std::uint64_t token, const std::string& id) {
    KWinQuery query(token);
    query.op_ = Op::activate;
    query.id_ = id;
    return query;
}

std::string KWinQuery::script() const {
    // Every value reaches the script as JSON, so no id or text can break out of its literal.
    const json probe = {{"token", token_},
                        {"op", opName(op_)},
                        {"id", id_},
                        {"frame", {frame_.x, frame_.y, frame_.width, frame_.height}},
                        {"on", on_}};
    const json sink = {{"service", KWinBusClient::service},
                       {"path", KWinBusClient::path},
                       {"iface", KWinBusClient::interface}};
    return "var probe = " + probe.dump() + ";\nvar sink = " + sink.dump() + ";\n" + scriptBody;
}

bool KWinQuery::isMine(const std::string& report) const {
    const json value = json::parse(report, nullptr, false);
    return value.is_object() && value.contains("token") && value["token"].is_number_unsigned() &&
           value["token"].get<std::uint64_t>() == token_;
}

std::optional<KWinState> KWinQuery::read(const std::string& report, std::string& error) const {
    try {
        const json value = json::parse(report);
        if (value.contains("error")) {
            error = value["error"].get<std::string>();
            return std::nullopt;
        }
        KWinState state;
        for (const auto& window : value.at("windows"))
            state.windows.push_back(windowFrom(window));
        for (const auto& screen : value.at("screens"))
            state.screens.push_back({rectFrom(screen.at("geometry")), rectFrom(screen.at("area"))});
        return state;
    } catch (const std::exception& e) {
        error = std::string("malformed report (") + e.what() + "): " + report.substr(0, 200);
        return std::nullopt;
    }
}

} // namespace morvanta::testing
