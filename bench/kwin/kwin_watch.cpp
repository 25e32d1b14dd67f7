#include "bench/kwin/kwin_watch.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>

namespace morvanta::bench {

namespace {

constexpr const char* service = "org.morvanta.BenchWatch";
constexpr const char* path = "/org/morvanta/BenchWatch";
constexpr const char* interface = "org.morvanta.BenchWatch";
constexpr const char* plugin = "morvanta-bench-watch";
// How long the reader sleeps on the bus at most before it looks whether it should stop.
constexpr std::uint64_t wakeMicroseconds = 50'000;

// KWin 5.27 and KWin 6 name the window list and its signals differently; both are handled.
// A window's minimised state has its own signal on both (minimizedChanged); KWin 5 also has
// clientMinimized/clientUnminimized, used only where minimizedChanged is missing.
constexpr const char* script = R"js(
var sink = {service: "org.morvanta.BenchWatch", path: "/org/morvanta/BenchWatch",
            iface: "org.morvanta.BenchWatch"};
function send(kind, w) {
    var g = w.frameGeometry;
    callDBus(sink.service, sink.path, sink.iface, "Event", JSON.stringify({
        kind: kind, id: String(w.internalId), caption: String(w.caption),
        normal: !!w.normalWindow, minimized: !!w.minimized,
        frame: [g.x, g.y, g.width, g.height]}));
}
function watch(w) {
    var changed = function () { send("changed", w); };
    w.frameGeometryChanged.connect(changed);
    if (w.minimizedChanged !== undefined) {
        w.minimizedChanged.connect(changed);
    } else {
        w.clientMinimized.connect(changed);
        w.clientUnminimized.connect(changed);
    }
}
var list = typeof workspace.windowList === "function" ? workspace.windowList()
                                                      : workspace.clientList();
var added = workspace.windowAdded !== undefined ? workspace.windowAdded : workspace.clientAdded;
var removed = workspace.windowRemoved !== undefined ? workspace.windowRemoved
                                                    : workspace.clientRemoved;
for (var i = 0; i < list.length; ++i) {
    watch(list[i]);
    send("present", list[i]);
}
added.connect(function (w) { watch(w); send("added", w); });
removed.connect(function (w) { send("removed", w); });
)js";

WatchEvent::Kind kindFrom(const std::string& name) {
    if (name == "present")
        return WatchEvent::Kind::present;
    if (name == "added")
        return WatchEvent::Kind::added;
    if (name == "removed")
        return WatchEvent::Kind::removed;
    return WatchEvent::Kind::changed;
}

// The event in one of the script's messages; none for a message that is not one.
std::optional<WatchEvent> eventFrom(const char* text, Clock::time_point at) {
    try {
        const auto value = nlohmann::json::parse(text);
        WatchEvent event{kindFrom(value.at("kind").get<std::string>()), at, {}};
        event.window.id = value.at("id").get<std::string>();
        event.window.caption = value.at("caption").get<std::string>();
        event.window.normal = value.at("normal").get<bool>();
        event.window.minimized = value.at("minimized").get<bool>();
        const auto frame = value.at("frame").get<std::vector<double>>();
        if (frame.size() != 4)
            return std::nullopt;
        event.window.frame = {int(frame[0]), int(frame[1]), int(frame[2]), int(frame[3])};
        return event;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

} // namespace

KWinWatch::KWinWatch(const std::string& address, const std::filesystem::path& folder)
    : bus_(address, service, path, &KWinWatch::onMessage, this) {
    const auto file = folder / "bench-watch.js";
    std::ofstream(file) << script;
    if (!bus_.ok() || !bus_.runScript(file, plugin)) {
        error_ = bus_.error();
        return;
    }
    reader_ = std::thread([this] { read(); });
}

KWinWatch::~KWinWatch() {
    stop_ = true;
    if (reader_.joinable())
        reader_.join();
}

void KWinWatch::read() {
    while (!stop_) {
        const int r = sd_bus_process(bus_.bus(), nullptr);
        if (r < 0)
            return;
        if (r == 0)
            sd_bus_wait(bus_.bus(), wakeMicroseconds);
    }
}

int KWinWatch::onMessage(sd_bus_message* message, void* self, sd_bus_error*) {
    const auto at = Clock::now();
    if (!sd_bus_message_is_method_call(message, interface, "Event"))
        return 0;
    const char* text = nullptr;
    if (sd_bus_message_read(message, "s", &text) < 0 || !text)
        return sd_bus_reply_method_return(message, "");
    if (auto event = eventFrom(text, at)) {
        auto* watch = static_cast<KWinWatch*>(self);
        const std::lock_guard lock(watch->mutex_);
        watch->events_.push_back(std::move(*event));
    }
    return sd_bus_reply_method_return(message, "");
}

std::vector<WatchEvent> KWinWatch::take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(events_, {});
}

} // namespace morvanta::bench
