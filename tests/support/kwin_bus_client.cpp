#include "tests/support/kwin_bus_client.h"

#include <cstdarg>
#include <cstring>
#include <systemd/sd-bus.h>

namespace morvanta::testing {

namespace {

constexpr std::uint64_t callTimeoutMicroseconds = 5'000'000;

std::string describe(int code, const sd_bus_error* error) {
    if (error && error->message)
        return error->message;
    return std::strerror(code < 0 ? -code : code);
}

} // namespace

KWinBusClient::KWinBusClient(const std::string& address)
    : KWinBusClient(address, service, path, &KWinBusClient::onMessage, this) {}

KWinBusClient::KWinBusClient(const std::string& address, const char* serviceName,
                             const char* objectPath, sd_bus_message_handler_t handler,
                             void* owner) {
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
        r = sd_bus_request_name(bus, serviceName, 0);
    if (r >= 0)
        r = sd_bus_add_object(bus, &slot_, objectPath, handler, owner);
    if (r < 0) {
        error_ = "session bus at " + address + ": " + describe(r, nullptr);
        sd_bus_flush_close_unref(bus);
        return;
    }
    bus_ = bus;
}

KWinBusClient::~KWinBusClient() {
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
}

int KWinBusClient::onMessage(sd_bus_message* message, void* self, sd_bus_error*) {
    if (!sd_bus_message_is_method_call(message, interface, "Report"))
        return 0;
    const char* text = nullptr;
    if (sd_bus_message_read(message, "s", &text) < 0 || !text)
        return sd_bus_reply_method_errorf(message, SD_BUS_ERROR_INVALID_ARGS,
                                          "expected one string");
    static_cast<KWinBusClient*>(self)->reports_.emplace_back(text);
    return sd_bus_reply_method_return(message, "");
}

bool KWinBusClient::call(const char* destination, const char* object, const char* iface,
                         const char* member, sd_bus_message** reply, const char* types, ...) {
    if (!bus_) {
        error_ = "no bus connection";
        return false;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    va_list arguments;
    va_start(arguments, types);
    const int r = sd_bus_call_methodv(bus_, destination, object, iface, member, &error, reply,
                                      types, arguments);
    va_end(arguments);
    error_ = r < 0 ? std::string(member) + " on " + object + ": " + describe(r, &error) : "";
    sd_bus_error_free(&error);
    return r >= 0;
}

std::string KWinBusClient::ownerOf(const std::string& name) {
    sd_bus_message* reply = nullptr;
    if (!call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
              "GetNameOwner", &reply, "s", name.c_str()))
        return {};
    const char* owner = nullptr;
    const bool read = sd_bus_message_read(reply, "s", &owner) >= 0 && owner;
    std::string result = read ? owner : "";
    sd_bus_message_unref(reply);
    return result;
}

int KWinBusClient::loadScript(const std::string& file, const std::string& plugin) {
    sd_bus_message* reply = nullptr;
    if (!call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript", &reply, "ss",
              file.c_str(), plugin.c_str()))
        return -1;
    int id = -1;
    if (sd_bus_message_read(reply, "i", &id) < 0)
        id = -1;
    sd_bus_message_unref(reply);
    if (id < 0 && error_.empty())
        error_ = "KWin refused to load " + file;
    return id;
}

bool KWinBusClient::runScript(int id) {
    const std::string kwin5 = "/" + std::to_string(id);
    const std::string kwin6 = "/Scripting/Script" + std::to_string(id);
    for (const auto& object : {kwin5, kwin6})
        if (call("org.kde.KWin", object.c_str(), "org.kde.kwin.Script", "run", nullptr, ""))
            return true;
    return false;
}

bool KWinBusClient::unloadScript(const std::string& plugin) {
    sd_bus_message* reply = nullptr;
    if (!call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript", &reply, "s",
              plugin.c_str()))
        return false;
    int unloaded = 0;
    const bool read = sd_bus_message_read(reply, "b", &unloaded) >= 0;
    sd_bus_message_unref(reply);
    return read && unloaded;
}

std::optional<std::string>
KWinBusClient::waitForReport(const std::function<bool(const std::string&)>& wanted,
                             std::chrono::milliseconds deadline) {
    if (!bus_)
        return std::nullopt;
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (true) {
        while (!reports_.empty()) {
            std::string report = std::move(reports_.front());
            reports_.pop_front();
            if (wanted(report))
                return report;
        }
        const int processed = sd_bus_process(bus_, nullptr);
        if (processed < 0) {
            error_ = "reading the bus: " + describe(processed, nullptr);
            return std::nullopt;
        }
        if (processed > 0)
            continue;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        sd_bus_wait(bus_, static_cast<std::uint64_t>(left.count()));
    }
}

} // namespace morvanta::testing
