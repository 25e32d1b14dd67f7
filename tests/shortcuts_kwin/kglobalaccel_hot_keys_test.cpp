// Plasma's global shortcuts on a private bus with a fake kglobalaccel: bindings become actions of
// the "morvanta" component with Qt key codes, presses reach the right hot key (and only the
// service's), refused and held keys are reported, rebinding and unbinding follow, and the keys
// are read and printed with the layout of Plasma's keyboard settings.
#include "shortcuts/keyboard_shortcuts.h"
#include "shortcuts/kwin/kglobalaccel_hot_keys.h"
#include "shortcuts/memory_shortcut_storage.h"
#include "shortcuts/modifiers.h"
#include "tests/shortcuts_kwin/fake_kglobalaccel.h"
#include "tests/support/session_bus.h"
#include "tests/support/xdg_sandbox.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <systemd/sd-bus.h>

namespace morvanta {
namespace {

constexpr int qtShift = 0x02000000, qtControl = 0x04000000, qtAlt = 0x08000000, qtMeta = 0x10000000,
              qtKeypad = 0x20000000;
using Events = std::vector<std::pair<std::uint32_t, bool>>;

// Dispatches whenever the descriptor is readable until `done` holds or two seconds pass.
bool deliverUntil(GlobalHotKeys& hotKeys, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        pollfd watched{hotKeys.fileDescriptor(), POLLIN, 0};
        if (poll(&watched, 1, 20) > 0) {
            hotKeys.dispatch();
        }
    }
    return true;
}

// Whether `holds` comes true within two seconds (the fake serves on a thread of its own).
bool eventually(const std::function<bool()>& holds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!holds()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        poll(nullptr, 0, 5);
    }
    return true;
}

bool readableNow(const GlobalHotKeys& hotKeys) {
    pollfd watched{hotKeys.fileDescriptor(), POLLIN, 0};
    return poll(&watched, 1, 0) > 0;
}

class KGlobalAccelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.ok());
        service = std::make_unique<testing::FakeKGlobalAccel>(bus.address());
        ASSERT_TRUE(service->ok());
        useLayout("us");
    }

    void useLayout(const std::string& layout) {
        std::filesystem::create_directories(sandbox.config());
        std::ofstream(sandbox.config() / "kxkbrc")
            << "[Layout]\nLayoutList=" << layout << "\nUse=true\n";
    }

    std::unique_ptr<KGlobalAccelHotKeys> open() {
        KGlobalAccelOptions options;
        options.busAddress = bus.address();
        options.startService = false;
        auto hotKeys = std::make_unique<KGlobalAccelHotKeys>(options);
        hotKeys->setEventSink(
            [this](std::uint32_t id, bool down) { events.emplace_back(id, down); });
        return hotKeys;
    }

    std::vector<int> keysOf(const std::string& action) {
        auto actions = service->actions();
        return actions.contains(action) ? actions[action].keys : std::vector<int>{};
    }

    testing::XdgSandbox sandbox;
    testing::SessionBus bus;
    std::unique_ptr<testing::FakeKGlobalAccel> service;
    Events events;
};

TEST_F(KGlobalAccelTest, BindingsBecomeMorvantaActionsWithQtKeyCodes) {
    auto hotKeys = open();
    ASSERT_TRUE(hotKeys->ok()) << hotKeys->error();
    const std::vector<std::pair<Shortcut, int>> cases = {
        {{18, carbon::option}, qtAlt | 0x31},                               // Alt+1
        {{29, carbon::control | carbon::option}, qtControl | qtAlt | 0x30}, // Ctrl+Alt+0
        {{0, carbon::shift | carbon::command}, qtShift | qtMeta | 0x41},    // Shift+Super+A
        {{122, carbon::control}, qtControl | 0x01000030},                   // Ctrl+F1
        {{111, 0}, 0x0100003b},                                             // F12
        {{123, carbon::option}, qtAlt | 0x01000012},                        // Alt+Left
        {{83, carbon::command}, qtMeta | qtKeypad | 0x31},                  // Super+Keypad 1
        {{49, carbon::control}, qtControl | 0x20},                          // Ctrl+Space
        {{50, carbon::option}, qtAlt | 0x60},                               // Alt+`
        {{36, carbon::command}, qtMeta | 0x01000004},                       // Super+Return
    };
    std::uint32_t id = 0;
    for (const auto& [shortcut, key] : cases) {
        ++id;
        ASSERT_TRUE(hotKeys->grab(id, shortcut)) << hotKeys->shortcutText(shortcut);
        const auto action = service->actions().at(hotKeys->actionOf(id));
        EXPECT_EQ(action.keys, std::vector<int>{key}) << hotKeys->shortcutText(shortcut);
        EXPECT_EQ(action.title, hotKeys->shortcutText(shortcut));
    }
    EXPECT_EQ(service->actions().size(), cases.size());
    EXPECT_EQ(hotKeys->shortcutText({0, carbon::shift | carbon::command}), "Shift+Super+A");
    EXPECT_EQ(std::ranges::count(service->calls(), "setShortcut"), 0); // key sequences preferred

    // An unknown key code is refused without asking; ending unregisters every action (without
    // waiting for answers).
    EXPECT_FALSE(hotKeys->grab(99, {10, 0}));
    hotKeys.reset();
    EXPECT_TRUE(eventually([&] { return service->actions().empty(); }));
}

TEST_F(KGlobalAccelTest, ActionsFollowBindingsRebindingAndUnbinding) {
    auto hotKeys = open();
    HotKeyCenter center(*hotKeys);
    MemoryShortcutStorage storage;
    KeyboardShortcuts shortcuts(storage, center);
    hotKeys->setLabeler([&](const Shortcut& shortcut) -> std::optional<HotKeyLabel> {
        auto names = shortcuts.namesBoundTo(shortcut);
        if (names.empty())
            return std::nullopt;
        return HotKeyLabel{names.front(), "Title of " + names.front()};
    });
    const KeyboardShortcuts::Name one{"switchToWorkspace1", Shortcut{18, carbon::option}};
    const KeyboardShortcuts::Name two{"switchToWorkspace2", Shortcut{19, carbon::option}};
    int onePressed = 0, twoPressed = 0;
    shortcuts.addKeyDownHandler(one, [&] { ++onePressed; });
    shortcuts.addKeyDownHandler(two, [&] { ++twoPressed; });
    EXPECT_EQ(keysOf("switchToWorkspace1"), std::vector<int>{qtAlt | 0x31});
    EXPECT_EQ(service->actions().at("switchToWorkspace2").title, "Title of switchToWorkspace2");

    // Every press runs its name's handlers once: each press is a key-down and a key-up.
    service->press("switchToWorkspace1");
    service->press("switchToWorkspace1");
    ASSERT_TRUE(deliverUntil(*hotKeys, [&] { return onePressed == 2; }));
    EXPECT_EQ(twoPressed, 0);

    shortcuts.storeShortcut(Shortcut{20, carbon::option}, one);
    EXPECT_EQ(keysOf("switchToWorkspace1"), std::vector<int>{qtAlt | 0x33});
    shortcuts.storeShortcut(std::nullopt, one);
    EXPECT_FALSE(service->actions().contains("switchToWorkspace1"));
    shortcuts.disableNames({two});
    EXPECT_TRUE(service->actions().empty());
    shortcuts.enableNames({two});
    EXPECT_EQ(keysOf("switchToWorkspace2"), std::vector<int>{qtAlt | 0x32});
}

TEST_F(KGlobalAccelTest, PressesReachOnlyTheirHotKeyFromTheServiceOnly) {
    auto hotKeys = open();
    ASSERT_TRUE(hotKeys->grab(1, {18, carbon::option}));
    ASSERT_TRUE(hotKeys->grab(2, {19, carbon::option}));

    // Not ours: another component's press, an unknown action, and a stranger's forgery.
    service->press(hotKeys->actionOf(1), "kwin");
    service->press("noSuchAction");
    sd_bus* stranger = nullptr;
    ASSERT_GE(sd_bus_new(&stranger), 0);
    sd_bus_set_address(stranger, bus.address().c_str());
    sd_bus_set_bus_client(stranger, 1);
    ASSERT_GE(sd_bus_start(stranger), 0);
    sd_bus_emit_signal(stranger, "/component/morvanta", "org.kde.kglobalaccel.Component",
                       "globalShortcutPressed", "ssx", "morvanta", hotKeys->actionOf(1).c_str(),
                       std::int64_t{1});
    sd_bus_flush_close_unref(stranger);

    service->press(hotKeys->actionOf(2));
    ASSERT_TRUE(deliverUntil(*hotKeys, [&] { return !events.empty(); }));
    EXPECT_EQ(events, (Events{{2, true}, {2, false}}));

    // A press read off the bus during a call still leaves the descriptor readable.
    events.clear();
    service->press(hotKeys->actionOf(1));
    ASSERT_TRUE(hotKeys->grab(3, {20, carbon::option}));
    EXPECT_TRUE(readableNow(*hotKeys));
    hotKeys->dispatch();
    EXPECT_EQ(events, (Events{{1, true}, {1, false}}));

    // A press that waits when its binding goes is dropped with it.
    events.clear();
    service->press(hotKeys->actionOf(3));
    hotKeys->ungrab(3);
    service->press(hotKeys->actionOf(1));
    ASSERT_TRUE(deliverUntil(*hotKeys, [&] { return !events.empty(); }));
    EXPECT_EQ(events, (Events{{1, true}, {1, false}}));
}

TEST_F(KGlobalAccelTest, KeysOfOtherComponentsAreRefusedAndReported) {
    service->holdForOther(qtMeta | 0x44);
    auto hotKeys = open();
    HotKeyCenter center(*hotKeys);
    MemoryShortcutStorage storage;
    KeyboardShortcuts shortcuts(storage, center);
    std::vector<Shortcut> refused;
    auto subscription =
        shortcuts.addRegistrationFailedObserver([&](const Shortcut& s) { refused.push_back(s); });

    const Shortcut superD{2, carbon::command};
    const KeyboardShortcuts::Name desktop{"showDesktop", superD};
    shortcuts.addKeyDownHandler(desktop, [] {});
    EXPECT_EQ(refused, std::vector<Shortcut>{superD});
    EXPECT_FALSE(shortcuts.isActive(desktop));
    EXPECT_EQ(shortcuts.shortcutFor(desktop), superD); // the binding is kept
    EXPECT_TRUE(service->actions().empty());           // the refused action is not left behind

    EXPECT_TRUE(hotKeys->isGrabbedByAnotherClient(superD));
    ASSERT_TRUE(hotKeys->grab(9, {18, carbon::option}));
    EXPECT_FALSE(hotKeys->isGrabbedByAnotherClient({18, carbon::option})); // ours
    EXPECT_FALSE(hotKeys->isGrabbedByAnotherClient({19, carbon::option})); // free
}

TEST_F(KGlobalAccelTest, ServiceRulesAndVersions) {
    // Actions an earlier run left behind would hold their keys: they are dropped at start.
    service->holdForOther(qtAlt | 0x31, "morvanta", "leftOver");
    auto hotKeys = open();
    EXPECT_FALSE(service->actions().contains("leftOver"));
    ASSERT_TRUE(hotKeys->grab(1, {18, carbon::option}));

    // A service that comes back (KWin restarted) is given every binding again.
    service.reset();
    service = std::make_unique<testing::FakeKGlobalAccel>(bus.address());
    EXPECT_TRUE(deliverUntil(*hotKeys, [&] { return !keysOf(hotKeys->actionOf(1)).empty(); }));

    // A service that predates key sequences gets the key list.
    hotKeys.reset();
    service.reset();
    service = std::make_unique<testing::FakeKGlobalAccel>(bus.address(), false);
    hotKeys = open();
    ASSERT_TRUE(hotKeys->grab(1, {0, carbon::option}));
    EXPECT_EQ(keysOf(hotKeys->actionOf(1)), std::vector<int>{qtAlt | 0x41});
    EXPECT_EQ(std::ranges::count(service->calls(), "setShortcut"), 1);
}

TEST_F(KGlobalAccelTest, MissingServiceIsAClearError) {
    service.reset();
    auto hotKeys = open();
    EXPECT_FALSE(hotKeys->ok());
    EXPECT_NE(hotKeys->error().find("org.kde.kglobalaccel"), std::string::npos) << hotKeys->error();
    EXPECT_FALSE(hotKeys->grab(1, {18, carbon::option}));
    EXPECT_FALSE(hotKeys->isGrabbedByAnotherClient({18, carbon::option}));
    hotKeys->dispatch();
}

TEST_F(KGlobalAccelTest, KeysAreReadAndPrintedWithPlasmasLayout) {
    auto us = open();
    EXPECT_EQ(us->shortcutForKeyEvent(10, 0x01 | 0x08),
              (Shortcut{18, carbon::shift | carbon::option}));
    EXPECT_EQ(us->shortcutForKeyEvent(67, 0x40 | 0x04),
              (Shortcut{122, carbon::command | carbon::control}));
    EXPECT_EQ(us->shortcutForKeyEvent(50, 0x01), std::nullopt); // Shift itself
    EXPECT_EQ(us->shortcutText({41, carbon::option}), "Alt+;");
    us.reset();

    // German: the key right of L types ö, and Z and Y trade places.
    useLayout("de");
    auto de = open();
    ASSERT_TRUE(de->ok()) << de->error();
    EXPECT_EQ(de->shortcutForKeyEvent(47, 0x08), (Shortcut{41, carbon::option}));
    EXPECT_EQ(de->shortcutText({41, carbon::option}), "Alt+Ö");
    EXPECT_EQ(de->shortcutForKeyEvent(29, 0x04), (Shortcut{6, carbon::control}));
    ASSERT_TRUE(de->grab(1, {41, carbon::option}));
    EXPECT_EQ(keysOf(de->actionOf(1)), std::vector<int>{qtAlt | 0xd6});
}

} // namespace
} // namespace morvanta
