// FakeKWinPeer: KWin as the channel sees it, on a private bus: it owns org.kde.KWin, serves
// /Scripting (loadScript, unloadScript) and each loaded script's run() at Plasma 5's or
// Plasma 6's path, and then plays the script, calling the bridge's Report and Poll from the same
// connection, as KWin's callDBus does. Every call it serves is written down for the test.
#pragma once

#include "ax/kwin/sd_bus_handles.h"

#include <map>
#include <string>
#include <vector>

namespace morvanta::testing {

class FakeKWinPeer {
public:
    enum class Plasma { five, six };

    // `ownKWin` false: a stranger on the bus that only calls the bridge.
    FakeKWinPeer(const std::string& busAddress, Plasma plasma = Plasma::five, bool ownKWin = true);
    ~FakeKWinPeer();
    FakeKWinPeer(const FakeKWinPeer&) = delete;
    FakeKWinPeer& operator=(const FakeKWinPeer&) = delete;

    bool ok() const { return ok_; }
    int descriptor() const;
    // Serves and reads everything that has arrived, without blocking.
    void process();

    // The script's calls; Poll's answers go to `answers`, error replies to `errors`.
    void report(const std::string& text);
    void poll(const std::string& text);
    // A call with an argument of the wrong kind: an integer where a string belongs.
    void callWithNumber(const char* member);

    // What KWin was asked, in order: "unloadScript morvanta-bridge",
    // "loadScript <path> morvanta-bridge", "run /0"…
    std::vector<std::string> calls;
    int runs = 0;
    std::vector<std::string> answers;
    std::vector<std::string> errors;

private:
    static int loadScript(sd_bus_message* call, void* self, sd_bus_error* error);
    static int unloadScript(sd_bus_message* call, void* self, sd_bus_error* error);
    static int run(sd_bus_message* call, void* self, sd_bus_error* error);
    static int replied(sd_bus_message* reply, void* self, sd_bus_error* error);
    void callBridge(const char* member, const char* signature, const void* argument);

    sd_bus* bus_ = nullptr;
    bool ok_ = false;
    Plasma plasma_;
    int nextId_ = 0;
    std::map<std::string, int> loaded_; // plugin → script id
    std::map<int, SdBusSlot> scripts_;  // script id → its run() object
    std::vector<SdBusSlot> served_;
};

} // namespace morvanta::testing
