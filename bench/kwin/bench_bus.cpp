#include "bench/kwin/bench_bus.h"

#include <cstring>

namespace morvanta::bench {

namespace {

constexpr std::uint64_t callTimeoutMicroseconds = 5'000'000;

} // namespace

BenchBus::BenchBus(const std::string& address, const char* service, const char* path,
                   sd_bus_message_handler_t handler, void* owner) {
    sd_bus* bus = nullptr;
    int r = sd_bus_new(&bus);
    if (r >= 0)
        r = sd_bus_set_address(bus, address.c_str());
    if (r >= 0)
        r = sd_bus_set_bus_client(bus, 1);
    if (r >= 0)
        r = sd_bus_start(bus);
    if (r >= 0)
        r = sd_bus_set_method_call_timeout(bus, callTimeoutMicroseconds);
    if (r >= 0)
        r = sd_bus_request_name(bus, service, 0);
    if (r >= 0)
        r = sd_bus_add_object(bus, &slot_, path, handler, owner);
    if (r < 0) {
        error_ = std::string("taking ") + service + " on the session's bus: " + std::strerror(-r);
        sd_bus_flush_close_unref(bus);
        return;
    }
    bus_ = bus;
}

BenchBus::~BenchBus() {
    unloadScripts();
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
}

bool BenchBus::runScript(const std::filesystem::path& file, const std::string& plugin) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int id = -1;
    if (bus_ &&
        sd_bus_call_method(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting",
                           "loadScript", &error, &reply, "ss", file.c_str(), plugin.c_str()) >= 0)
        sd_bus_message_read(reply, "i", &id);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (id < 0) {
        error_ = "KWin did not load " + file.string();
        return false;
    }
    plugins_.push_back(plugin);
    for (const auto& object :
         {"/" + std::to_string(id), "/Scripting/Script" + std::to_string(id)}) {
        const bool ran = sd_bus_call_method(bus_, "org.kde.KWin", object.c_str(),
                                            "org.kde.kwin.Script", "run", &error, nullptr, "") >= 0;
        sd_bus_error_free(&error);
        if (ran)
            return true;
    }
    error_ = "KWin did not run " + file.string();
    return false;
}

void BenchBus::unloadScripts() {
    for (const auto& plugin : plugins_) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_call_method(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting",
                           "unloadScript", &error, nullptr, "s", plugin.c_str());
        sd_bus_error_free(&error);
    }
    plugins_.clear();
}

} // namespace morvanta::bench
