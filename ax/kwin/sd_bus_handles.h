// Owning handles for sd-bus objects: each releases its reference when it goes, so an early
// return never leaks a message or leaves a slot (a served object, a match, a call awaiting its
// reply) registered after its owner is gone. Dropping a slot cancels what it registered.
#pragma once

#include <memory>
#include <systemd/sd-bus.h>

namespace morvanta {

struct SdBusSlotRelease {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
struct SdBusMessageRelease {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using SdBusSlot = std::unique_ptr<sd_bus_slot, SdBusSlotRelease>;
using SdBusMessage = std::unique_ptr<sd_bus_message, SdBusMessageRelease>;

// An sd_bus_error freed when it goes.
struct SdBusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    SdBusError() = default;
    SdBusError(const SdBusError&) = delete;
    SdBusError& operator=(const SdBusError&) = delete;
    ~SdBusError() { sd_bus_error_free(&error); }
    const char* text() const { return error.message ? error.message : "no reason given"; }
};

} // namespace morvanta
