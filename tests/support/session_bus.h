// SessionBus: a private D-Bus session bus for the programs one test starts, so that none of them
// reaches the desktop's bus or starts a bus of its own that outlives the test. The daemon ends
// with the object.
#pragma once

#include <string>
#include <sys/types.h>

namespace morvanta::testing {

class SessionBus {
public:
    SessionBus();
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    bool ok() const { return !address_.empty(); }
    // The value for DBUS_SESSION_BUS_ADDRESS.
    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

} // namespace morvanta::testing
