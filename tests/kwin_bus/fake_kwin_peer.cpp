#include "tests/kwin_bus/fake_kwin_peer.h"

#include <cstdint>

namespace morvanta::testing {

FakeKWinPeer::FakeKWinPeer(const std::string& busAddress, Plasma plasma, bool ownKWin)
    : plasma_(plasma) {
    if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, busAddress.c_str()) < 0 ||
        sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0)
        return;
    static const sd_bus_vtable scripting[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("loadScript", "ss", "i", &loadScript, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("unloadScript", "s", "b", &unloadScript, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_object_vtable(bus_, &slot, "/Scripting", "org.kde.kwin.Scripting", scripting,
                                 this) < 0)
        return;
    served_.emplace_back(slot);
    ok_ = !ownKWin || sd_bus_request_name(bus_, "org.kde.KWin", 0) >= 0;
}

FakeKWinPeer::~FakeKWinPeer() {
    scripts_.clear();
    served_.clear();
    if (bus_)
        sd_bus_flush_close_unref(bus_);
}

int FakeKWinPeer::descriptor() const {
    return bus_ ? sd_bus_get_fd(bus_) : -1;
}

void FakeKWinPeer::process() {
    while (bus_ && sd_bus_process(bus_, nullptr) > 0) {
    }
}

int FakeKWinPeer::loadScript(sd_bus_message* call, void* self, sd_bus_error*) {
    auto* peer = static_cast<FakeKWinPeer*>(self);
    const char* path = nullptr;
    const char* plugin = nullptr;
    sd_bus_message_read(call, "ss", &path, &plugin);
    peer->calls.push_back(std::string("loadScript ") + path + " " + plugin);
    // KWin refuses a second script under a plugin name in use.
    if (peer->loaded_.count(plugin))
        return sd_bus_reply_method_return(call, "i", -1);
    int id = peer->nextId_++;
    peer->loaded_[plugin] = id;
    static const sd_bus_vtable script[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("run", "", "", &run, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };
    std::string object = peer->plasma_ == Plasma::six ? "/Scripting/Script" + std::to_string(id)
                                                      : "/" + std::to_string(id);
    sd_bus_slot* slot = nullptr;
    sd_bus_add_object_vtable(peer->bus_, &slot, object.c_str(), "org.kde.kwin.Script", script,
                             peer);
    peer->scripts_[id].reset(slot);
    return sd_bus_reply_method_return(call, "i", id);
}

int FakeKWinPeer::unloadScript(sd_bus_message* call, void* self, sd_bus_error*) {
    auto* peer = static_cast<FakeKWinPeer*>(self);
    const char* plugin = nullptr;
    sd_bus_message_read(call, "s", &plugin);
    peer->calls.push_back(std::string("unloadScript ") + plugin);
    auto found = peer->loaded_.find(plugin);
    if (found == peer->loaded_.end())
        return sd_bus_reply_method_return(call, "b", 0);
    peer->scripts_.erase(found->second);
    peer->loaded_.erase(found);
    return sd_bus_reply_method_return(call, "b", 1);
}

int FakeKWinPeer::run(sd_bus_message* call, void* self, sd_bus_error*) {
    auto* peer = static_cast<FakeKWinPeer*>(self);
    peer->calls.push_back(std::string("run ") + sd_bus_message_get_path(call));
    ++peer->runs;
    return sd_bus_reply_method_return(call, "");
}

void FakeKWinPeer::report(const std::string& text) {
    callBridge("Report", "s", text.c_str());
}
void FakeKWinPeer::poll(const std::string& text) {
    callBridge("Poll", "s", text.c_str());
}

void FakeKWinPeer::callWithNumber(const char* member) {
    std::int32_t number = 42;
    callBridge(member, "i", &number);
}

void FakeKWinPeer::callBridge(const char* member, const char* signature, const void* argument) {
    sd_bus_message* raw = nullptr;
    sd_bus_message_new_method_call(bus_, &raw, "org.morvanta.KWinBridge",
                                   "/org/morvanta/KWinBridge", "org.morvanta.KWinBridge", member);
    SdBusMessage call(raw);
    sd_bus_message_append_basic(raw, signature[0], argument);
    sd_bus_call_async(bus_, nullptr, raw, &replied, this, 60'000'000);
}

int FakeKWinPeer::replied(sd_bus_message* reply, void* self, sd_bus_error*) {
    auto* peer = static_cast<FakeKWinPeer*>(self);
    if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
        peer->errors.push_back(error->name);
        return 0;
    }
    const char* text = nullptr;
    if (sd_bus_message_read(reply, "s", &text) > 0)
        peer->answers.push_back(text);
    return 0;
}

} // namespace morvanta::testing
