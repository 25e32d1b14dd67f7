// KGlobalAccelService: the calls Morvanta makes to KDE's global shortcut service, kglobalaccel
// (org.kde.kglobalaccel, /kglobalaccel, org.kde.KGlobalAccel), for its component "morvanta",
// each a synchronous call bounded by the bus's call timeout. Keys are Qt key codes (see
// qt_key_codes.h). Newer services take key sequences (setShortcutKeys); the older key list
// (setShortcut) is used once a service says it does not know the newer call.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct sd_bus;
struct sd_bus_message;

namespace morvanta {

class KGlobalAccelService {
public:
    static constexpr const char* name = "org.kde.kglobalaccel";
    static constexpr const char* componentUnique = "morvanta";
    static constexpr const char* componentFriendly = "Morvanta";
    static constexpr const char* componentPath = "/component/morvanta";
    static constexpr const char* componentInterface = "org.kde.kglobalaccel.Component";

    // `startService`: whether the bus may start the service where no one serves it.
    KGlobalAccelService(sd_bus* bus, bool startService) : bus_(bus), startService_(startService) {}

    // Empty when the service answers (the bus starts it where it can); else why it does not.
    std::string unreachable();
    // Registers the action and gives it the key, over whatever kglobalaccel remembers for it.
    // False when kglobalaccel grants another key (0 for one another component holds) or no
    // answer comes; the action is then unregistered again.
    bool bind(const std::string& action, const std::string& title, int key);
    // Unregisters the action, which frees its key; false when kglobalaccel did not know it.
    bool unbind(const std::string& action);
    // Sends the unregistration without waiting for an answer, for the end, when a service that
    // does not answer must not hold up the quit.
    void unbindWithoutWaiting(const std::string& action);
    // The components that hold the key, ours included.
    std::vector<std::string> componentsHolding(int key);
    // The actions our component has registered, also by an earlier run that ended without
    // unregistering them.
    std::vector<std::string> registeredActions();

    // An owned sd-bus message.
    struct MessageRelease {
        void operator()(sd_bus_message* message) const;
    };
    using Message = std::unique_ptr<sd_bus_message, MessageRelease>;

private:
    bool assign(const std::string& action, const std::string& title, int key);
    int assignSequence(const std::string& action, const std::string& title, int key,
                       bool& unknownMethod);
    int assignList(const std::string& action, const std::string& title, int key);
    std::vector<std::string> holdersBySequence(int key);

    Message newCall(const char* objectPath, const char* objectInterface, const char* member);
    Message newCall(const char* member);
    Message unregisterCall(const std::string& action);

    sd_bus* bus_;
    bool startService_;
    bool keyListOnly_ = false; // the service predates setShortcutKeys
};

} // namespace morvanta
