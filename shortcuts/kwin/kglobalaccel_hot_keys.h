// Global hot keys in a KDE Plasma session (Wayland or X11), where a client cannot grab keys
// itself: each combination becomes an action of the component "morvanta" ("Morvanta") of KDE's
// global shortcut service, kglobalaccel, on the session bus (kwin_wayland serves it itself in a
// Plasma 5.27 Wayland session; elsewhere the bus starts kglobalaccel5 on the first call). The
// actions appear in Plasma's shortcut settings while Morvanta runs.
//
// A grab registers the action (doRegister) and gives it the combination as a Qt key code
// (setShortcutKeys, or setShortcut where the service predates it), forcing Morvanta's stored
// binding over anything kglobalaccel remembers. kglobalaccel answers the keys it granted: one
// held by another component comes back as 0, and the grab fails and leaves nothing registered,
// as a refused X11 grab does. Ungrabbing unregisters the action, which frees the key.
//
// Presses arrive as the component's globalShortcutPressed signals. kglobalaccel sends no
// release for a shortcut invoked over D-Bus, and a release signal is not sent by every version,
// so each press is reported to the sink as a key-down followed at once by its key-up: one
// action per press, and a held key never leaves a hot key waiting for a release that does not
// come. fileDescriptor() is an epoll descriptor, readable while the bus has news or presses
// read during a call wait for dispatch().
//
// Keys are named by the keyboard layout of Plasma's settings (kxkbrc, see
// plasma_keyboard_settings.h), its first layout: shortcutText prints with it, and
// shortcutForKeyEvent reads native key codes with it (xkb keycodes, as Qt's nativeScanCode gives
// them on Wayland and X11 alike).
#pragma once

#include "shortcuts/global_hot_keys.h"
#include "shortcuts/kwin/kglobalaccel_service.h"
#include "shortcuts/xkb/xkb_layout.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// sd-bus's types, named without its header so the header stays free of libsystemd.
struct sd_bus;
struct sd_bus_slot;
struct sd_bus_message;

namespace morvanta {

struct KGlobalAccelOptions {
    // The bus kglobalaccel is on; empty: the session bus (DBUS_SESSION_BUS_ADDRESS).
    std::string busAddress;
    // Plasma's keyboard settings; empty: plasmaKeyboardSettingsPath().
    std::filesystem::path keyboardSettings;
    // How long one call to kglobalaccel may take; a call that takes longer fails.
    std::chrono::milliseconds callTimeout = std::chrono::seconds(2);
    // Whether the bus may start the service (kglobalaccel5) when no one serves it; a test's
    // private bus must not start the machine's own.
    bool startService = true;
};

class KGlobalAccelHotKeys : public GlobalHotKeys {
public:
    explicit KGlobalAccelHotKeys(KGlobalAccelOptions options = {});
    ~KGlobalAccelHotKeys() override;
    KGlobalAccelHotKeys(const KGlobalAccelHotKeys&) = delete;
    KGlobalAccelHotKeys& operator=(const KGlobalAccelHotKeys&) = delete;

    bool ok() const override { return error_.empty(); }
    const std::string& error() const override { return error_; }

    int fileDescriptor() const override { return epoll_; }
    // Reports every press received so far (a key-down, then its key-up); never blocks.
    void dispatch() override;

    bool grab(std::uint32_t id, const Shortcut& shortcut) override;
    void ungrab(std::uint32_t id) override;
    void setEventSink(EventSink sink) override { sink_ = std::move(sink); }
    void setLabeler(HotKeyLabeler labeler) override { labeler_ = std::move(labeler); }

    // "Alt+Shift+F", "Ctrl+Alt+1", with the key named as the layout prints it.
    std::string shortcutText(const Shortcut& shortcut) const override;
    // The shortcut an xkb keycode and X-style modifier state stand for.
    std::optional<Shortcut> shortcutForKeyEvent(std::uint32_t keycode,
                                                std::uint16_t state) const override;
    // Whether kglobalaccel gives the combination to another component; ours answer false.
    bool isGrabbedByAnotherClient(const Shortcut& shortcut) override;

    // The kglobalaccel action a grab holds; empty for unknown ids.
    std::string actionOf(std::uint32_t id) const;

private:
    struct Grab {
        Shortcut shortcut;
        std::string action;
        std::string title;
        int key = 0; // the Qt key code granted
    };

    bool connect(const std::string& address, std::chrono::milliseconds timeout);
    bool watchDescriptors();
    bool watchPresses();
    bool loadKeyboard(const std::filesystem::path& settings);
    void dropStaleActions();
    void fail(const std::string& what);

    HotKeyLabel labelFor(std::uint32_t id, const Shortcut& shortcut) const;
    void deliver(const std::vector<std::string>& actions);
    void bindAgain();

    // The bus's callbacks (defined with the sources, which know sd-bus's error type).
    struct Callbacks;
    friend struct Callbacks;
    void notePress(sd_bus_message* signal);
    void noteOwner(sd_bus_message* signal);
    // Reads what the bus has received (the match callbacks only take note), and keeps the
    // descriptor readable while anything waits for dispatch().
    void drain();

    sd_bus* bus_ = nullptr;
    std::unique_ptr<KGlobalAccelService> service_;
    int epoll_ = -1;
    int wakeup_ = -1; // an eventfd, readable while presses wait
    sd_bus_slot* pressedMatch_ = nullptr;
    sd_bus_slot* ownerMatch_ = nullptr;
    XkbLayout layout_;
    std::string error_;
    std::string owner_;            // the service's unique name on the bus
    bool serviceReturned_ = false; // a new owner took the service: bind everything again
    std::map<std::uint32_t, Grab> grabs_;
    std::vector<std::string> pendingPresses_; // actions, in order
    HotKeyLabeler labeler_;
    EventSink sink_;
};

} // namespace morvanta
