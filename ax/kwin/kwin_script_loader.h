// KWinScriptLoader: loads Morvanta's script into KWin and unloads it, through KWin's scripting
// interface on the session bus, and follows who owns `org.kde.KWin` so a KWin restart is seen.
//
// Loading never blocks: it is a chain of calls sent now and continued from the replies, which
// arrive while the channel processes its bus. It unloads a copy a crashed Morvanta may have
// left, loads the file as plugin `morvanta-bridge`, and calls run() on the script's object:
// `/Scripting/Script<id>` on Plasma 6, `/<id>` on Plasma 5 (tried when the first is unknown).
// Only unloading at close waits, briefly, because nothing runs after it.
#pragma once

#include "ax/kwin/sd_bus_handles.h"

#include <functional>
#include <optional>
#include <string>

namespace morvanta {

class KWinScriptLoader {
public:
    using Log = std::function<void(const std::string&)>;

    static constexpr const char* kwinService = "org.kde.KWin";
    static constexpr const char* pluginName = "morvanta-bridge";

    // `bus` outlives the loader. Nothing is sent before start().
    KWinScriptLoader(sd_bus* bus, std::string scriptPath, Log log);
    KWinScriptLoader(const KWinScriptLoader&) = delete;
    KWinScriptLoader& operator=(const KWinScriptLoader&) = delete;

    // Starts following KWin's owner: its changes go to onOwnerChanged (the unique name, or ""
    // when KWin left the bus). False, with a line in the log, when the bus refuses.
    bool start();
    // KWin's unique name on the bus, or "" when KWin is not there.
    const std::string& kwinOwner() const { return owner_; }

    // Begins a load; `done` hears whether the script runs. A load under way is abandoned.
    void load(std::function<void(bool)> done);
    // Abandons a load under way; its `done` is not called.
    void cancel();
    // Whether KWin accepted the file in the latest load (the script may be running).
    bool scriptLoaded() const { return scriptId_.has_value(); }
    // Unloads the script, waiting for KWin's reply a short while; for closing.
    void unloadNow();

    std::function<void(const std::string&)> onOwnerChanged;

private:
    static int ownerChanged(sd_bus_message* message, void* self, sd_bus_error* error);
    static int unloaded(sd_bus_message* reply, void* self, sd_bus_error* error);
    static int loaded(sd_bus_message* reply, void* self, sd_bus_error* error);
    static int ranOnPlasma6(sd_bus_message* reply, void* self, sd_bus_error* error);
    static int ranOnPlasma5(sd_bus_message* reply, void* self, sd_bus_error* error);

    bool readOwner();
    // Sends one call to KWin whose reply goes to `handler`; false (logged) when it cannot.
    bool callKWin(const std::string& path, const char* interface, const char* member,
                  sd_bus_message_handler_t handler, const std::string& argument1 = {},
                  const std::string& argument2 = {});
    void runAt(const std::string& path, sd_bus_message_handler_t handler);
    void finish(bool running);
    // The reply's error text, or nothing when the call succeeded.
    static std::optional<std::string> failureOf(sd_bus_message* reply);

    sd_bus* bus_;
    std::string scriptPath_;
    Log log_;
    std::string owner_;
    SdBusSlot ownerMatch_;
    SdBusSlot call_;
    std::optional<int> scriptId_;
    std::function<void(bool)> done_;
};

} // namespace morvanta
