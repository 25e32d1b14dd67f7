#include "ax/kwin/kwin_script_loader.h"

#include <cstdint>
#include <unistd.h>
#include <utility>

namespace morvanta {

namespace {

// KWin answers its scripting calls at once; a reply later than this means KWin is stuck, and
// the load is retried by the loss rules rather than waited for.
constexpr std::uint64_t callTimeoutMicroseconds = 5'000'000;
constexpr std::uint64_t unloadTimeoutMicroseconds = 1'000'000;

constexpr const char* scriptingInterface = "org.kde.kwin.Scripting";
constexpr const char* scriptInterface = "org.kde.kwin.Script";

} // namespace

KWinScriptLoader::KWinScriptLoader(sd_bus* bus, std::string scriptPath, Log log)
    : bus_(bus), scriptPath_(std::move(scriptPath)), log_(std::move(log)) {}

bool KWinScriptLoader::start() {
    // The match comes first: a change between the two is then heard as a signal that names the
    // owner already read, and is ignored as no change.
    sd_bus_slot* match = nullptr;
    int r = sd_bus_match_signal(bus_, &match, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                "org.freedesktop.DBus", "NameOwnerChanged", &ownerChanged, this);
    if (r < 0) {
        log_("KWin bridge: cannot follow KWin on the session bus (error " + std::to_string(-r) +
             ")");
        return false;
    }
    ownerMatch_.reset(match);
    return readOwner();
}

bool KWinScriptLoader::readOwner() {
    SdBusError error;
    sd_bus_message* reply = nullptr;
    int r = sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "GetNameOwner", &error.error, &reply, "s",
                               kwinService);
    SdBusMessage owned(reply);
    if (r < 0) {
        if (sd_bus_error_has_name(&error.error, SD_BUS_ERROR_NAME_HAS_NO_OWNER))
            return true;
        log_(std::string("KWin bridge: cannot ask who owns org.kde.KWin: ") + error.text());
        return false;
    }
    const char* owner = nullptr;
    if (sd_bus_message_read(reply, "s", &owner) >= 0 && owner)
        owner_ = owner;
    return true;
}

int KWinScriptLoader::ownerChanged(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* loader = static_cast<KWinScriptLoader*>(self);
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &oldOwner, &newOwner) < 0 || !name ||
        !newOwner || std::string(name) != kwinService)
        return 0;
    if (loader->owner_ == newOwner)
        return 0;
    loader->owner_ = newOwner;
    loader->scriptId_.reset();
    if (loader->onOwnerChanged)
        loader->onOwnerChanged(loader->owner_);
    return 0;
}

void KWinScriptLoader::load(std::function<void(bool)> done) {
    cancel();
    done_ = std::move(done);
    scriptId_.reset();
    // KWin accepts a path that does not exist and fails only when the script runs, without a
    // word to the caller; the log says it here instead.
    if (access(scriptPath_.c_str(), R_OK) != 0) {
        log_("KWin bridge: the script " + scriptPath_ + " cannot be read");
        finish(false);
        return;
    }
    if (!callKWin("/Scripting", scriptingInterface, "unloadScript", &unloaded, pluginName))
        finish(false);
}

void KWinScriptLoader::cancel() {
    call_.reset();
    done_ = nullptr;
}

int KWinScriptLoader::unloaded(sd_bus_message* reply, void* self, sd_bus_error*) {
    auto* loader = static_cast<KWinScriptLoader*>(self);
    // A copy that was not there is the ordinary case; any other failure shows in loadScript.
    (void)reply;
    if (!loader->callKWin("/Scripting", scriptingInterface, "loadScript", &loaded,
                          loader->scriptPath_, pluginName))
        loader->finish(false);
    return 0;
}

int KWinScriptLoader::loaded(sd_bus_message* reply, void* self, sd_bus_error*) {
    auto* loader = static_cast<KWinScriptLoader*>(self);
    if (auto failure = failureOf(reply)) {
        loader->log_("KWin bridge: KWin did not load the script: " + *failure);
        loader->finish(false);
        return 0;
    }
    std::int32_t id = -1;
    if (sd_bus_message_read(reply, "i", &id) < 0 || id < 0) {
        loader->log_("KWin bridge: KWin refused to load " + loader->scriptPath_);
        loader->finish(false);
        return 0;
    }
    loader->scriptId_ = id;
    loader->runAt("/Scripting/Script" + std::to_string(id), &ranOnPlasma6);
    return 0;
}

int KWinScriptLoader::ranOnPlasma6(sd_bus_message* reply, void* self, sd_bus_error*) {
    auto* loader = static_cast<KWinScriptLoader*>(self);
    const sd_bus_error* error = sd_bus_message_get_error(reply);
    if (error && (sd_bus_error_has_name(error, SD_BUS_ERROR_UNKNOWN_OBJECT) ||
                  sd_bus_error_has_name(error, SD_BUS_ERROR_UNKNOWN_METHOD) ||
                  sd_bus_error_has_name(error, SD_BUS_ERROR_UNKNOWN_INTERFACE))) {
        loader->runAt("/" + std::to_string(*loader->scriptId_), &ranOnPlasma5);
        return 0;
    }
    return ranOnPlasma5(reply, self, nullptr);
}

int KWinScriptLoader::ranOnPlasma5(sd_bus_message* reply, void* self, sd_bus_error*) {
    auto* loader = static_cast<KWinScriptLoader*>(self);
    if (auto failure = failureOf(reply)) {
        loader->log_("KWin bridge: KWin did not run the script: " + *failure);
        loader->finish(false);
        return 0;
    }
    loader->finish(true);
    return 0;
}

void KWinScriptLoader::runAt(const std::string& path, sd_bus_message_handler_t handler) {
    if (!callKWin(path, scriptInterface, "run", handler))
        finish(false);
}

bool KWinScriptLoader::callKWin(const std::string& path, const char* interface, const char* member,
                                sd_bus_message_handler_t handler, const std::string& argument1,
                                const std::string& argument2) {
    sd_bus_message* raw = nullptr;
    int r =
        sd_bus_message_new_method_call(bus_, &raw, kwinService, path.c_str(), interface, member);
    SdBusMessage call(raw);
    for (const std::string* argument : {&argument1, &argument2})
        if (r >= 0 && !argument->empty())
            r = sd_bus_message_append(raw, "s", argument->c_str());
    sd_bus_slot* slot = nullptr;
    if (r >= 0)
        r = sd_bus_call_async(bus_, &slot, raw, handler, this, callTimeoutMicroseconds);
    if (r < 0) {
        log_(std::string("KWin bridge: cannot call KWin's ") + member + " (error " +
             std::to_string(-r) + ")");
        return false;
    }
    call_.reset(slot);
    return true;
}

void KWinScriptLoader::finish(bool running) {
    auto done = std::exchange(done_, nullptr);
    if (done)
        done(running);
}

std::optional<std::string> KWinScriptLoader::failureOf(sd_bus_message* reply) {
    const sd_bus_error* error = sd_bus_message_get_error(reply);
    if (!error)
        return std::nullopt;
    return std::string(error->name ? error->name : "") + ": " +
           (error->message ? error->message : "no reason given");
}

void KWinScriptLoader::unloadNow() {
    cancel();
    if (owner_.empty())
        return;
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_call(bus_, &raw, kwinService, "/Scripting",
                                           scriptingInterface, "unloadScript");
    SdBusMessage call(raw);
    if (r >= 0)
        r = sd_bus_message_append(raw, "s", pluginName);
    SdBusError error;
    sd_bus_message* reply = nullptr;
    if (r >= 0)
        r = sd_bus_call(bus_, raw, unloadTimeoutMicroseconds, &error.error, &reply);
    SdBusMessage ownedReply(reply);
    if (r < 0)
        log_(std::string("KWin bridge: could not unload the script: ") + error.text());
    scriptId_.reset();
}

} // namespace morvanta
