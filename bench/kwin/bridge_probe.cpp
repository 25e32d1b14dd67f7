#include "bench/kwin/bridge_probe.h"

namespace morvanta::bench {

namespace {

constexpr const char* service = "org.morvanta.KWinBridge";
constexpr const char* path = "/org/morvanta/KWinBridge";
constexpr const char* interface = "org.morvanta.KWinBridge";
constexpr std::uint64_t wakeMicroseconds = 20'000;

} // namespace

BridgeProbe::BridgeProbe(const std::string& address, const std::filesystem::path& script)
    : bus_(address, service, path, &BridgeProbe::onMessage, this) {
    if (!bus_.ok() || !bus_.runScript(script, "morvanta-bench-bridge")) {
        error_ = bus_.error();
        return;
    }
    if (!waitUntil([&] { return pending_ != nullptr; }, std::chrono::seconds(5)))
        error_ = "Morvanta's KWin script did not poll";
}

BridgeProbe::~BridgeProbe() {
    // Unloaded first, so the script does not poll again once its waiting Poll is answered.
    bus_.unloadScripts();
    if (pending_) {
        sd_bus_reply_method_return(pending_, "s", R"({"batch": 0, "commands": []})");
        sd_bus_message_unref(pending_);
    }
}

int BridgeProbe::onMessage(sd_bus_message* message, void* self, sd_bus_error*) {
    const auto at = std::chrono::steady_clock::now();
    const bool poll = sd_bus_message_is_method_call(message, interface, "Poll");
    if (!poll && !sd_bus_message_is_method_call(message, interface, "Report"))
        return 0;
    const char* text = nullptr;
    sd_bus_message_read(message, "s", &text);
    if (!poll)
        return sd_bus_reply_method_return(message, "");
    auto* probe = static_cast<BridgeProbe*>(self);
    probe->polledAt_ = at;
    probe->onPoll(message, nlohmann::json::parse(text ? text : "", nullptr, false));
    return 1;
}

// Keeps the Poll for the next batch, and learns the windows from a hello.
void BridgeProbe::onPoll(sd_bus_message* message, const nlohmann::json& value) {
    if (pending_)
        sd_bus_message_unref(pending_);
    pending_ = sd_bus_message_ref(message);
    try {
        ack_ = value.value("ack", -1L);
        for (const auto& event : value.value("events", nlohmann::json::array())) {
            if (event.value("type", "") != "hello")
                continue;
            for (const auto& w : event.at("windows")) {
                const auto frame = w.at("frame").get<std::vector<double>>();
                if (frame.size() == 4)
                    windows_[w.at("caption").get<std::string>()] = {
                        w.at("id").get<std::string>(),
                        {int(frame[0]), int(frame[1]), int(frame[2]), int(frame[3])}};
            }
        }
    } catch (const nlohmann::json::exception&) {
        // Not the contract's Poll: the round trip waiting for it times out and says so.
    }
}

bool BridgeProbe::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < until) {
        const int r = sd_bus_process(bus_.bus(), nullptr);
        if (r < 0)
            return false;
        if (r == 0)
            sd_bus_wait(bus_.bus(), wakeMicroseconds);
    }
    return done();
}

std::optional<std::chrono::steady_clock::duration>
BridgeProbe::roundTrip(const nlohmann::json& commands) {
    if (!pending_)
        return std::nullopt;
    const long batch = ++batch_;
    const auto answer = nlohmann::json{{"batch", batch}, {"commands", commands}}.dump();
    sd_bus_message* poll = std::exchange(pending_, nullptr);
    const auto sent = std::chrono::steady_clock::now();
    sd_bus_reply_method_return(poll, "s", answer.c_str());
    sd_bus_message_unref(poll);
    sd_bus_flush(bus_.bus());
    if (!waitUntil([&] { return pending_ != nullptr && ack_ == batch; }, std::chrono::seconds(5)))
        return std::nullopt;
    return polledAt_ - sent;
}

} // namespace morvanta::bench
