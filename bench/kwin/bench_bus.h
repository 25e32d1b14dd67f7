// BenchBus: one connection of the benchmark's to the session's bus, owning a name and serving
// one object there, and loading KWin scripts that call that object (loaded ones are unloaded when
// it goes). KWinWatch and BridgeProbe each have one. sd-bus, so it needs no event loop: the owner
// processes the connection itself.
#pragma once

#include <filesystem>
#include <string>
#include <systemd/sd-bus.h>
#include <vector>

namespace morvanta::bench {

class BenchBus {
public:
    BenchBus(const std::string& address, const char* service, const char* path,
             sd_bus_message_handler_t handler, void* owner);
    ~BenchBus();
    BenchBus(const BenchBus&) = delete;
    BenchBus& operator=(const BenchBus&) = delete;

    bool ok() const { return bus_ != nullptr; }
    const std::string& error() const { return error_; }
    sd_bus* bus() const { return bus_; }

    // org.kde.kwin.Scripting.loadScript, then run() on the script's object ("/<id>" on KWin 5,
    // "/Scripting/Script<id>" on KWin 6).
    bool runScript(const std::filesystem::path& file, const std::string& plugin);
    // Unloads every script this connection loaded.
    void unloadScripts();

private:
    sd_bus* bus_ = nullptr;
    sd_bus_slot* slot_ = nullptr;
    std::vector<std::string> plugins_;
    std::string error_;
};

} // namespace morvanta::bench
