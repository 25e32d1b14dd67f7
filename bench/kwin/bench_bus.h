// BenchBus: one connection of the benchmark's to the session's bus, owning a name and serving
// one object there (a KWinBusClient), and running KWin scripts that call that object; the ones
// it loaded are unloaded when it goes. KWinWatch and BridgeProbe each have one. sd-bus, so it
// needs no event loop: the owner processes the connection itself.
#pragma once

#include "tests/support/kwin_bus_client.h"

#include <filesystem>
#include <string>
#include <systemd/sd-bus.h>
#include <vector>

namespace morvanta::bench {

class BenchBus {
public:
    BenchBus(const std::string& address, const char* service, const char* path,
             sd_bus_message_handler_t handler, void* owner)
        : client_(address, service, path, handler, owner) {}
    ~BenchBus() { unloadScripts(); }
    BenchBus(const BenchBus&) = delete;
    BenchBus& operator=(const BenchBus&) = delete;

    bool ok() const { return client_.ok(); }
    const std::string& error() const { return error_.empty() ? client_.error() : error_; }
    sd_bus* bus() const { return client_.bus(); }

    // Loads the script and runs it.
    bool runScript(const std::filesystem::path& file, const std::string& plugin);
    // Unloads every script this connection loaded.
    void unloadScripts();

private:
    testing::KWinBusClient client_;
    std::vector<std::string> plugins_;
    std::string error_;
};

} // namespace morvanta::bench
