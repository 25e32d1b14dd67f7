#include "shortcuts/kwin/kglobalaccel_hot_keys.h"

#include "shortcuts/kwin/plasma_keyboard_settings.h"
#include "shortcuts/kwin/qt_key_codes.h"
#include "shortcuts/modifiers.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <utility>

namespace morvanta {

namespace {

std::string errorText(int negativeErrno) {
    return std::strerror(-negativeErrno);
}

// The X modifier bits of a native key event (Qt's nativeModifiers on X11 and Wayland alike).
constexpr std::array<std::pair<int, std::uint16_t>, 4> nativeModifiers = {{
    {carbon::shift, 0x01},   // Shift
    {carbon::control, 0x04}, // Control
    {carbon::option, 0x08},  // Mod1, Alt
    {carbon::command, 0x40}, // Mod4, Super
}};

} // namespace

struct KGlobalAccelHotKeys::Callbacks {
    static int pressed(sd_bus_message* signal, void* self, sd_bus_error*) {
        static_cast<KGlobalAccelHotKeys*>(self)->notePress(signal);
        return 0;
    }
    static int ownerChanged(sd_bus_message* signal, void* self, sd_bus_error*) {
        static_cast<KGlobalAccelHotKeys*>(self)->noteOwner(signal);
        return 0;
    }
};

KGlobalAccelHotKeys::KGlobalAccelHotKeys(KGlobalAccelOptions options) {
    if (!connect(options.busAddress, options.callTimeout) || !watchDescriptors()) {
        return;
    }
    service_ = std::make_unique<KGlobalAccelService>(bus_, options.startService);
    if (auto reason = service_->unreachable(); !reason.empty()) {
        fail("KDE's global shortcut service (org.kde.kglobalaccel) is not on the session bus: " +
             reason);
        return;
    }
    auto settings =
        options.keyboardSettings.empty() ? plasmaKeyboardSettingsPath() : options.keyboardSettings;
    if (!loadKeyboard(settings) || !watchPresses()) {
        return;
    }
    dropStaleActions();
    drain();
}

KGlobalAccelHotKeys::~KGlobalAccelHotKeys() {
    if (ok()) {
        for (const auto& [id, grab] : grabs_) {
            service_->unbindWithoutWaiting(grab.action);
        }
    }
    sd_bus_slot_unref(pressedMatch_);
    sd_bus_slot_unref(ownerMatch_);
    service_.reset();
    sd_bus_flush_close_unref(bus_);
    for (int fd : {wakeup_, epoll_}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void KGlobalAccelHotKeys::fail(const std::string& what) {
    if (error_.empty()) {
        error_ = what;
    }
}

bool KGlobalAccelHotKeys::connect(const std::string& address, std::chrono::milliseconds timeout) {
    int r = 0;
    if (address.empty()) {
        r = sd_bus_open_user(&bus_);
    } else {
        r = sd_bus_new(&bus_);
        if (r >= 0)
            r = sd_bus_set_address(bus_, address.c_str());
        if (r >= 0)
            r = sd_bus_set_bus_client(bus_, 1);
        if (r >= 0)
            r = sd_bus_start(bus_);
    }
    const auto microseconds = std::chrono::duration_cast<std::chrono::microseconds>(timeout);
    if (r >= 0)
        r = sd_bus_set_method_call_timeout(bus_, static_cast<std::uint64_t>(microseconds.count()));
    if (r < 0) {
        fail("Cannot reach the session bus for global shortcuts (" + errorText(r) + ")");
        return false;
    }
    return true;
}

// One descriptor for the run loop: the bus's socket, and an eventfd for presses that a
// synchronous call has already read off the socket.
bool KGlobalAccelHotKeys::watchDescriptors() {
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    wakeup_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    bool watched = epoll_ >= 0 && wakeup_ >= 0;
    for (int fd : {sd_bus_get_fd(bus_), wakeup_}) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        watched = watched && fd >= 0 && epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) == 0;
    }
    if (!watched) {
        fail("Cannot watch the session bus for global shortcuts (" + errorText(-errno) + ")");
    }
    return watched;
}

bool KGlobalAccelHotKeys::loadKeyboard(const std::filesystem::path& settings) {
    if (!layout_.compile(plasmaKeyboardNames(settings)) && !layout_.compile(XkbNames{})) {
        fail("Cannot compile a keyboard layout for global shortcuts (xkbcommon)");
        return false;
    }
    return true;
}

// Only the service's current owner may report presses: any client can send a signal with our
// component's path. The owner is read once here and followed through NameOwnerChanged.
bool KGlobalAccelHotKeys::watchPresses() {
    int r = sd_bus_match_signal(bus_, &pressedMatch_, nullptr, KGlobalAccelService::componentPath,
                                KGlobalAccelService::componentInterface, "globalShortcutPressed",
                                &Callbacks::pressed, this);
    if (r >= 0) {
        r = sd_bus_match_signal(bus_, &ownerMatch_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                "org.freedesktop.DBus", "NameOwnerChanged",
                                &Callbacks::ownerChanged, this);
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const char* owner = nullptr;
    if (r >= 0) {
        r = sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "GetNameOwner", &error, &reply, "s",
                               KGlobalAccelService::name);
    }
    if (r >= 0 && sd_bus_message_read(reply, "s", &owner) >= 0) {
        owner_ = owner;
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (owner_.empty()) {
        fail("Cannot follow KDE's global shortcut service on the session bus (" +
             errorText(r < 0 ? r : -EIO) + ")");
        return false;
    }
    return true;
}

// A run that ended without unregistering (a crash) left its actions holding their keys; they
// would refuse this run's bindings of the same keys to actions of other names.
void KGlobalAccelHotKeys::dropStaleActions() {
    for (const auto& action : service_->registeredActions()) {
        service_->unbind(action);
    }
}

void KGlobalAccelHotKeys::notePress(sd_bus_message* signal) {
    const char* sender = sd_bus_message_get_sender(signal);
    const char* component = nullptr;
    const char* action = nullptr;
    std::int64_t timestamp = 0;
    if (!sender || owner_ != sender ||
        sd_bus_message_read(signal, "ssx", &component, &action, &timestamp) < 0 ||
        std::strcmp(component, KGlobalAccelService::componentUnique) != 0) {
        return;
    }
    pendingPresses_.emplace_back(action);
}

void KGlobalAccelHotKeys::noteOwner(sd_bus_message* signal) {
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (sd_bus_message_read(signal, "sss", &name, &oldOwner, &newOwner) < 0 ||
        std::strcmp(name, KGlobalAccelService::name) != 0) {
        return;
    }
    owner_ = newOwner;
    // A new service (KWin restarted) knows nothing of our actions.
    if (*newOwner != '\0') {
        serviceReturned_ = true;
    }
}

void KGlobalAccelHotKeys::drain() {
    int r = 0;
    while ((r = sd_bus_process(bus_, nullptr)) > 0) {
    }
    if (r < 0) {
        // The bus is gone; its socket would stay readable for ever.
        epoll_ctl(epoll_, EPOLL_CTL_DEL, sd_bus_get_fd(bus_), nullptr);
        fail("Lost the session bus of global shortcuts (" + errorText(r) + ")");
        return;
    }
    if (!pendingPresses_.empty() || serviceReturned_) {
        eventfd_write(wakeup_, 1);
    }
}

void KGlobalAccelHotKeys::dispatch() {
    if (!ok()) {
        return;
    }
    eventfd_t count = 0;
    eventfd_read(wakeup_, &count);
    drain();
    if (serviceReturned_) {
        serviceReturned_ = false;
        bindAgain();
    }
    deliver(std::exchange(pendingPresses_, {}));
}

// Each press is a key-down and its key-up at once (see the header). The sink may grab and
// ungrab while it runs, so each action's grab is looked up when its turn comes.
void KGlobalAccelHotKeys::deliver(const std::vector<std::string>& actions) {
    for (const auto& action : actions) {
        auto found = std::ranges::find_if(
            grabs_, [&](const auto& entry) { return entry.second.action == action; });
        if (found == grabs_.end() || !sink_) {
            continue;
        }
        const std::uint32_t id = found->first;
        EventSink sink = sink_;
        sink(id, true);
        sink(id, false);
    }
}

// The service came back empty: every grab is bound anew. One refused now keeps its place and
// stays silent, as an X11 grab the new layout cannot type does.
void KGlobalAccelHotKeys::bindAgain() {
    for (const auto& [id, grab] : grabs_) {
        service_->bind(grab.action, grab.title, grab.key);
    }
}

HotKeyLabel KGlobalAccelHotKeys::labelFor(std::uint32_t id, const Shortcut& shortcut) const {
    HotKeyLabel label;
    if (labeler_) {
        label = labeler_(shortcut).value_or(HotKeyLabel{});
    }
    if (label.identifier.empty()) {
        label.identifier = "shortcut-" + std::to_string(shortcut.carbonKeyCode) + "-" +
                           std::to_string(shortcut.carbonModifiers);
    }
    if (label.title.empty()) {
        label.title = shortcutText(shortcut);
    }
    // Two grabs never share an action: the second would take the first one's key.
    const std::string base = label.identifier;
    for (int n = 2; std::ranges::any_of(grabs_,
                                        [&](const auto& entry) {
                                            return entry.first != id &&
                                                   entry.second.action == label.identifier;
                                        });
         ++n) {
        label.identifier = base + "-" + std::to_string(n);
    }
    return label;
}

bool KGlobalAccelHotKeys::grab(std::uint32_t id, const Shortcut& shortcut) {
    if (!ok()) {
        return false;
    }
    ungrab(id);
    const int key = qtKeyCodeFor(layout_, shortcut);
    if (key == 0) {
        return false;
    }
    HotKeyLabel label = labelFor(id, shortcut);
    const bool bound = service_->bind(label.identifier, label.title, key);
    if (bound) {
        grabs_[id] = Grab{shortcut, label.identifier, label.title, key};
    }
    drain();
    return bound;
}

void KGlobalAccelHotKeys::ungrab(std::uint32_t id) {
    auto found = grabs_.find(id);
    if (found == grabs_.end()) {
        return;
    }
    const std::string action = found->second.action;
    grabs_.erase(found);
    // A press read but not yet delivered belongs to a binding that is gone.
    std::erase(pendingPresses_, action);
    if (ok()) {
        service_->unbind(action);
        drain();
    }
}

bool KGlobalAccelHotKeys::isGrabbedByAnotherClient(const Shortcut& shortcut) {
    if (!ok()) {
        return false;
    }
    const int key = qtKeyCodeFor(layout_, shortcut);
    if (key == 0) {
        return false;
    }
    auto holders = service_->componentsHolding(key);
    drain();
    return std::ranges::any_of(holders, [](const std::string& component) {
        return component != KGlobalAccelService::componentUnique;
    });
}

std::string KGlobalAccelHotKeys::actionOf(std::uint32_t id) const {
    auto found = grabs_.find(id);
    return found == grabs_.end() ? std::string() : found->second.action;
}

std::string KGlobalAccelHotKeys::shortcutText(const Shortcut& shortcut) const {
    std::string key = layout_.keyName(shortcut.carbonKeyCode);
    if (key.empty()) {
        key = "Key " + std::to_string(shortcut.carbonKeyCode);
    }
    return modifierPrefix(shortcut.carbonModifiers) + key;
}

std::optional<Shortcut> KGlobalAccelHotKeys::shortcutForKeyEvent(std::uint32_t keycode,
                                                                 std::uint16_t state) const {
    auto carbonKeyCode = layout_.carbonKeyCodeFor(keycode);
    if (!carbonKeyCode) {
        return std::nullopt;
    }
    int modifiers = 0;
    for (const auto& [bit, native] : nativeModifiers) {
        if ((state & native) != 0) {
            modifiers |= bit;
        }
    }
    return Shortcut{*carbonKeyCode, modifiers};
}

} // namespace morvanta
