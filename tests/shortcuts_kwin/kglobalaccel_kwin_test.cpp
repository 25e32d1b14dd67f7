// Plasma's global shortcuts on a real headless KWin 5.27 or 6, whose kwin_wayland serves
// kglobalaccel itself: a binding registered, invoked over D-Bus and delivered as a press; KWin's
// own Meta+D refused and reported held; nothing left registered once the grabs end.
#include "shortcuts/kwin/kglobalaccel_hot_keys.h"
#include "shortcuts/modifiers.h"
#include "tests/support/headless_kwin.h"
#include "tests/support/xdg_sandbox.h"

#include <chrono>
#include <gtest/gtest.h>
#include <poll.h>
#include <systemd/sd-bus.h>

namespace morvanta {
namespace {

using Events = std::vector<std::pair<std::uint32_t, bool>>;

// Has kglobalaccel run our action, as a key press would; false when the call failed.
bool invoke(sd_bus* bus, const std::string& action) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r = sd_bus_call_method(bus, "org.kde.kglobalaccel", "/component/morvanta",
                                     "org.kde.kglobalaccel.Component", "invokeShortcut", &error,
                                     nullptr, "s", action.c_str());
    sd_bus_error_free(&error);
    return r >= 0;
}

// How many actions of any component hold the Qt key code; -1 when the question failed.
int holdersOf(sd_bus* bus, int key) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int count = -1;
    if (sd_bus_call_method(bus, "org.kde.kglobalaccel", "/kglobalaccel", "org.kde.KGlobalAccel",
                           "getGlobalShortcutsByKey", &error, &reply, "i", key) >= 0 &&
        sd_bus_message_enter_container(reply, 'a', "(ssssssaiai)") >= 0) {
        count = 0;
        while (sd_bus_message_skip(reply, "(ssssssaiai)") > 0) {
            ++count;
        }
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return count;
}

TEST(KGlobalAccelOnKWin, BindingsArePressedRefusedAndReleased) {
    if (!testing::HeadlessKWin::available()) {
        GTEST_SKIP() << "kwin_wayland is not installed";
    }
    testing::XdgSandbox sandbox; // no Plasma keyboard settings: xkbcommon's default layout
    testing::HeadlessKWin kwin;
    ASSERT_TRUE(kwin.ok()) << kwin.error();
    KGlobalAccelOptions options;
    options.busAddress = kwin.busAddress();
    options.startService = false;
    auto hotKeys = std::make_unique<KGlobalAccelHotKeys>(options);
    ASSERT_TRUE(hotKeys->ok()) << hotKeys->error();
    Events events;
    hotKeys->setEventSink([&](std::uint32_t id, bool down) { events.emplace_back(id, down); });

    ASSERT_TRUE(hotKeys->grab(1, {18, carbon::option | carbon::control})); // Ctrl+Alt+1
    const Shortcut showDesktop{2, carbon::command};                        // KWin's Meta+D
    EXPECT_FALSE(hotKeys->grab(2, showDesktop));
    EXPECT_TRUE(hotKeys->isGrabbedByAnotherClient(showDesktop));
    EXPECT_FALSE(hotKeys->isGrabbedByAnotherClient({18, carbon::option | carbon::control}));

    sd_bus* bus = nullptr;
    ASSERT_GE(sd_bus_new(&bus), 0);
    sd_bus_set_address(bus, kwin.busAddress().c_str());
    sd_bus_set_bus_client(bus, 1);
    ASSERT_GE(sd_bus_start(bus), 0);
    EXPECT_TRUE(invoke(bus, hotKeys->actionOf(1)));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (events.empty() && std::chrono::steady_clock::now() < deadline) {
        pollfd watched{hotKeys->fileDescriptor(), POLLIN, 0};
        if (poll(&watched, 1, 50) > 0) {
            hotKeys->dispatch();
        }
    }
    EXPECT_EQ(events, (Events{{1, true}, {1, false}}));

    // Ending the grabs unregisters the action: its key is free again.
    const int controlAltOne = 0x04000000 | 0x08000000 | 0x31;
    EXPECT_EQ(holdersOf(bus, controlAltOne), 1);
    hotKeys.reset();
    EXPECT_EQ(holdersOf(bus, controlAltOne), 0);
    sd_bus_flush_close_unref(bus);
}

} // namespace
} // namespace morvanta
