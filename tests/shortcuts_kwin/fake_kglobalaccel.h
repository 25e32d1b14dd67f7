// FakeKGlobalAccel: KDE's global shortcut service as Morvanta's backend sees it, on a private
// bus and a thread of its own (the backend's calls are synchronous). It owns org.kde.kglobalaccel
// and serves /kglobalaccel (doRegister, setShortcutKeys or only the older setShortcut,
// unregister, getComponent, getGlobalShortcutsByKey) and each component's shortcutNames, with
// kglobalaccel's rules: a key another action holds is granted as 0, an action must be
// registered before it gets keys. Presses are emitted as globalShortcutPressed on request.
// A key sequence of other than four keys is answered with an error: kwin_wayland 5.27 ends
// when handed one.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct sd_bus;

namespace morvanta::testing {

class FakeKGlobalAccel {
public:
    struct Action {
        std::string component;
        std::string title;
        std::vector<int> keys;
    };

    // `keySequences` false: a service that predates setShortcutKeys.
    explicit FakeKGlobalAccel(const std::string& busAddress, bool keySequences = true);
    ~FakeKGlobalAccel();
    FakeKGlobalAccel(const FakeKGlobalAccel&) = delete;
    FakeKGlobalAccel& operator=(const FakeKGlobalAccel&) = delete;

    bool ok() const { return ok_; }

    // The registered actions of `component`, by name.
    std::map<std::string, Action> actions(const std::string& component = "morvanta") const;
    // Another component's action holding `key`, as KWin's own shortcuts do.
    void holdForOther(int key, const std::string& component = "kwin",
                      const std::string& action = "Show Desktop");
    // Emits the press of an action; returns once the signal is on its way.
    void press(const std::string& action, const std::string& component = "morvanta");
    // The methods called so far, in order.
    std::vector<std::string> calls() const;

private:
    struct Callbacks;
    // Runs `command` on the service's thread and waits for it.
    void run(const std::function<void()>& command);
    void serve();
    void loop();
    void note(const std::string& call);
    // Grants each key not held by another action (0 for those).
    std::vector<int> grant(const std::string& component, const std::string& action,
                           const std::vector<int>& keys);

    sd_bus* bus_ = nullptr;
    bool keySequences_;
    bool ok_ = false;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, Action> actions_; // (component, action)
    std::vector<std::string> calls_;
    std::vector<std::function<void()>> commands_;
};

} // namespace morvanta::testing
