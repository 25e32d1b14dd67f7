#include "shortcuts/kwin/kglobalaccel_service.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <systemd/sd-bus.h>

namespace morvanta {

namespace {

constexpr const char* path = "/kglobalaccel";
constexpr const char* interface = "org.kde.KGlobalAccel";

// setShortcut's flags: the action is present (its program runs), and the key given is set even
// where kglobalaccel remembers another one for the action.
constexpr std::uint32_t setPresent = 2;
constexpr std::uint32_t noAutoloading = 4;

// A key sequence travels as four key codes, unused ones 0; kwin_wayland 5.27 ends when handed
// a shorter one.
using Sequence = std::array<std::int32_t, 4>;

using Message = std::unique_ptr<sd_bus_message, KGlobalAccelService::MessageRelease>;

struct BusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    BusError() = default;
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    ~BusError() { sd_bus_error_free(&error); }
    std::string text() const { return error.message ? error.message : "no reason given"; }
    bool unknownMethod() const {
        return sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_METHOD) > 0;
    }
};

// kglobalaccel names an action by four strings: component and action, each unique and friendly.
bool appendActionId(sd_bus_message* call, const std::string& action, const std::string& title) {
    return sd_bus_message_append(call, "as", 4, KGlobalAccelService::componentUnique,
                                 action.c_str(), KGlobalAccelService::componentFriendly,
                                 title.c_str()) >= 0;
}

bool appendSequence(sd_bus_message* call, int key) {
    const Sequence sequence{key, 0, 0, 0};
    return sd_bus_message_open_container(call, 'r', "ai") >= 0 &&
           sd_bus_message_append_array(call, 'i', sequence.data(), sizeof sequence) >= 0 &&
           sd_bus_message_close_container(call) >= 0;
}

// The call's reply; null (with `error` filled) when it failed or timed out.
Message send(sd_bus* bus, const Message& call, BusError& error) {
    if (!call) {
        return nullptr;
    }
    sd_bus_message* reply = nullptr;
    if (sd_bus_call(bus, call.get(), 0, &error.error, &reply) < 0) {
        return nullptr;
    }
    return Message(reply);
}

// The first key of the "ai" being read; 0 when the list is empty or unreadable.
int firstKey(sd_bus_message* message) {
    const void* keys = nullptr;
    std::size_t size = 0;
    if (sd_bus_message_read_array(message, 'i', &keys, &size) < 0 || size < sizeof(std::int32_t)) {
        return 0;
    }
    std::int32_t key = 0;
    std::memcpy(&key, keys, sizeof key);
    return key;
}

// The component of each action in an "a(ssssssaiai)" answer (action, its title, component, its
// title, context, its title, keys, default keys).
std::vector<std::string> componentsOf(sd_bus_message* reply) {
    std::vector<std::string> components;
    if (!reply || sd_bus_message_enter_container(reply, 'a', "(ssssssaiai)") < 0) {
        return components;
    }
    while (sd_bus_message_enter_container(reply, 'r', "ssssssaiai") > 0) {
        const char* strings[6] = {};
        if (sd_bus_message_read(reply, "ssssss", &strings[0], &strings[1], &strings[2], &strings[3],
                                &strings[4], &strings[5]) < 0 ||
            sd_bus_message_skip(reply, "aiai") < 0 || sd_bus_message_exit_container(reply) < 0) {
            break;
        }
        components.emplace_back(strings[2]);
    }
    return components;
}

} // namespace

void KGlobalAccelService::MessageRelease::operator()(sd_bus_message* message) const {
    sd_bus_message_unref(message);
}

KGlobalAccelService::Message KGlobalAccelService::newCall(const char* objectPath,
                                                          const char* objectInterface,
                                                          const char* member) {
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus_, &call, name, objectPath, objectInterface, member) <
        0) {
        return nullptr;
    }
    Message owned(call);
    if (sd_bus_message_set_auto_start(call, startService_ ? 1 : 0) < 0) {
        return nullptr;
    }
    return owned;
}

KGlobalAccelService::Message KGlobalAccelService::newCall(const char* member) {
    return newCall(path, interface, member);
}

std::string KGlobalAccelService::unreachable() {
    BusError error;
    if (send(bus_, newCall(path, "org.freedesktop.DBus.Peer", "Ping"), error)) {
        return {};
    }
    return error.text();
}

bool KGlobalAccelService::bind(const std::string& action, const std::string& title, int key) {
    Message call = newCall("doRegister");
    BusError error;
    if (!call || !appendActionId(call.get(), action, title) || !send(bus_, call, error)) {
        return false;
    }
    if (assign(action, title, key)) {
        return true;
    }
    unbind(action);
    return false;
}

bool KGlobalAccelService::assign(const std::string& action, const std::string& title, int key) {
    if (!keyListOnly_) {
        bool unknownMethod = false;
        int granted = assignSequence(action, title, key, unknownMethod);
        if (!unknownMethod) {
            return granted == key;
        }
        keyListOnly_ = true;
    }
    return assignList(action, title, key) == key;
}

int KGlobalAccelService::assignSequence(const std::string& action, const std::string& title,
                                        int key, bool& unknownMethod) {
    Message call = newCall("setShortcutKeys");
    if (!call || !appendActionId(call.get(), action, title) ||
        sd_bus_message_open_container(call.get(), 'a', "(ai)") < 0 ||
        !appendSequence(call.get(), key) || sd_bus_message_close_container(call.get()) < 0 ||
        sd_bus_message_append(call.get(), "u", setPresent | noAutoloading) < 0) {
        return 0;
    }
    BusError error;
    Message reply = send(bus_, call, error);
    unknownMethod = error.unknownMethod();
    if (!reply || sd_bus_message_enter_container(reply.get(), 'a', "(ai)") <= 0 ||
        sd_bus_message_enter_container(reply.get(), 'r', "ai") <= 0) {
        return 0;
    }
    return firstKey(reply.get());
}

int KGlobalAccelService::assignList(const std::string& action, const std::string& title, int key) {
    Message call = newCall("setShortcut");
    const std::int32_t keys[] = {key};
    if (!call || !appendActionId(call.get(), action, title) ||
        sd_bus_message_append_array(call.get(), 'i', keys, sizeof keys) < 0 ||
        sd_bus_message_append(call.get(), "u", setPresent | noAutoloading) < 0) {
        return 0;
    }
    BusError error;
    Message reply = send(bus_, call, error);
    return reply ? firstKey(reply.get()) : 0;
}

KGlobalAccelService::Message KGlobalAccelService::unregisterCall(const std::string& action) {
    Message call = newCall("unregister");
    if (!call || sd_bus_message_append(call.get(), "ss", componentUnique, action.c_str()) < 0) {
        return nullptr;
    }
    return call;
}

void KGlobalAccelService::unbindWithoutWaiting(const std::string& action) {
    // Sent without a cookie, the call asks for no reply.
    if (Message call = unregisterCall(action)) {
        sd_bus_send(bus_, call.get(), nullptr);
    }
}

bool KGlobalAccelService::unbind(const std::string& action) {
    Message call = unregisterCall(action);
    BusError error;
    Message reply = send(bus_, call, error);
    int known = 0;
    return reply && sd_bus_message_read(reply.get(), "b", &known) >= 0 && known != 0;
}

std::vector<std::string> KGlobalAccelService::componentsHolding(int key) {
    Message call = newCall("getGlobalShortcutsByKey");
    if (!call || sd_bus_message_append(call.get(), "i", key) < 0) {
        return {};
    }
    BusError error;
    Message reply = send(bus_, call, error);
    if (!reply && error.unknownMethod()) {
        return holdersBySequence(key);
    }
    return componentsOf(reply.get());
}

// The key-sequence form of the question, for services without the single-key one.
std::vector<std::string> KGlobalAccelService::holdersBySequence(int key) {
    Message call = newCall("globalShortcutsByKey");
    const std::int32_t equalSearch = 0;
    if (!call || !appendSequence(call.get(), key) ||
        sd_bus_message_append(call.get(), "(i)", equalSearch) < 0) {
        return {};
    }
    BusError error;
    Message reply = send(bus_, call, error);
    return componentsOf(reply.get());
}

std::vector<std::string> KGlobalAccelService::registeredActions() {
    Message call = newCall("getComponent");
    if (!call || sd_bus_message_append(call.get(), "s", componentUnique) < 0) {
        return {};
    }
    BusError error;
    // An unknown component is an error: nothing registered.
    Message component = send(bus_, call, error);
    const char* objectPath = nullptr;
    if (!component || sd_bus_message_read(component.get(), "o", &objectPath) < 0) {
        return {};
    }
    Message names = newCall(objectPath, componentInterface, "shortcutNames");
    Message reply = send(bus_, names, error);
    char** actions = nullptr;
    if (!reply || sd_bus_message_read_strv(reply.get(), &actions) < 0 || !actions) {
        return {};
    }
    std::vector<std::string> result;
    for (char** action = actions; *action; ++action) {
        result.emplace_back(*action);
        std::free(*action);
    }
    std::free(actions);
    return result;
}

} // namespace morvanta
