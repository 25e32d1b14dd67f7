// KWinBusClient: the test's own connection to a private session bus on which KWin runs. It
// calls KWin's scripting interface (load, run and unload a script) and serves a small object
// that the test's scripts report to with callDBus, so a test reads what KWin itself knows.
// Built on sd-bus, which needs no event loop: reports are read while the test waits for them.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <systemd/sd-bus.h>

namespace morvanta::testing {

class KWinBusClient {
public:
    // Where the scripts send their reports: callDBus(service, path, interface, "Report", text).
    static constexpr const char* service = "org.morvanta.TestProbe";
    static constexpr const char* path = "/org/morvanta/TestProbe";
    static constexpr const char* interface = "org.morvanta.TestProbe";

    // Connects to the bus at `address` and takes the report service's name.
    explicit KWinBusClient(const std::string& address);
    // Connects and serves another object: `handler` (given `owner`) answers its calls, which
    // are read whenever the connection is processed.
    KWinBusClient(const std::string& address, const char* serviceName, const char* objectPath,
                  sd_bus_message_handler_t handler, void* owner);
    ~KWinBusClient();
    KWinBusClient(const KWinBusClient&) = delete;
    KWinBusClient& operator=(const KWinBusClient&) = delete;

    bool ok() const { return bus_ != nullptr; }
    sd_bus* bus() const { return bus_; }
    // Why the last operation failed ("" after success).
    const std::string& error() const { return error_; }

    // The unique name owning `name` on the bus ("" when none).
    std::string ownerOf(const std::string& name);

    // org.kde.kwin.Scripting.loadScript(path, plugin): the script's id, or -1.
    int loadScript(const std::string& file, const std::string& plugin);
    // org.kde.kwin.Script.run() on the loaded script: "/<id>" on KWin 5, "/Scripting/Script<id>"
    // on KWin 6; both are tried, in that order.
    bool runScript(int id);
    bool unloadScript(const std::string& plugin);

    // Waits up to `deadline` for a report that `wanted` accepts and answers it; reports it does
    // not accept (late ones of earlier scripts) are dropped.
    std::optional<std::string> waitForReport(const std::function<bool(const std::string&)>& wanted,
                                             std::chrono::milliseconds deadline);

private:
    static int onMessage(sd_bus_message* message, void* self, sd_bus_error* error);
    bool call(const char* destination, const char* object, const char* iface, const char* member,
              sd_bus_message** reply, const char* types, ...);

    sd_bus* bus_ = nullptr;
    sd_bus_slot* slot_ = nullptr;
    std::deque<std::string> reports_;
    std::string error_;
};

} // namespace morvanta::testing
