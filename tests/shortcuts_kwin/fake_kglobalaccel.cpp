#include "tests/shortcuts_kwin/fake_kglobalaccel.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <systemd/sd-bus.h>

namespace morvanta::testing {

namespace {

constexpr const char* componentInterface = "org.kde.kglobalaccel.Component";

// The strings of an actionId: component, action, component title, action title.
bool readActionId(sd_bus_message* call, std::vector<std::string>& id) {
    char** strings = nullptr;
    if (sd_bus_message_read_strv(call, &strings) < 0 || !strings) {
        return false;
    }
    for (char** s = strings; *s; ++s) {
        id.emplace_back(*s);
        std::free(*s);
    }
    std::free(strings);
    return id.size() == 4;
}

std::vector<int> readKeys(sd_bus_message* call) {
    const void* data = nullptr;
    std::size_t size = 0;
    std::vector<int> keys;
    if (sd_bus_message_read_array(call, 'i', &data, &size) >= 0) {
        keys.resize(size / sizeof(std::int32_t));
        std::memcpy(keys.data(), data, keys.size() * sizeof(std::int32_t));
    }
    return keys;
}

} // namespace

struct FakeKGlobalAccel::Callbacks {
    static FakeKGlobalAccel& self(void* data) { return *static_cast<FakeKGlobalAccel*>(data); }

    static int doRegister(sd_bus_message* call, void* data, sd_bus_error*) {
        auto& fake = self(data);
        std::vector<std::string> id;
        readActionId(call, id);
        std::lock_guard lock(fake.mutex_);
        fake.calls_.push_back("doRegister");
        if (id.size() == 4) {
            auto& action = fake.actions_[{id[0], id[1]}];
            action.component = id[0];
            action.title = id[3];
        }
        return sd_bus_reply_method_return(call, "");
    }

    static int setShortcut(sd_bus_message* call, void* data, sd_bus_error*) {
        auto& fake = self(data);
        std::vector<std::string> id;
        readActionId(call, id);
        fake.note("setShortcut");
        auto granted = fake.grant(id.at(0), id.at(1), readKeys(call));
        Message reply = newReturn(call);
        sd_bus_message_append_array(reply.get(), 'i', granted.data(),
                                    granted.size() * sizeof(std::int32_t));
        return sd_bus_send(nullptr, reply.get(), nullptr);
    }

    static int setShortcutKeys(sd_bus_message* call, void* data, sd_bus_error* error) {
        auto& fake = self(data);
        if (!fake.keySequences_) {
            return sd_bus_error_set(error, SD_BUS_ERROR_UNKNOWN_METHOD, "No such method");
        }
        std::vector<std::string> id;
        readActionId(call, id);
        fake.note("setShortcutKeys");
        std::vector<int> wanted;
        sd_bus_message_enter_container(call, 'a', "(ai)");
        while (sd_bus_message_enter_container(call, 'r', "ai") > 0) {
            auto sequence = readKeys(call);
            sd_bus_message_exit_container(call);
            if (sequence.size() != 4) {
                return sd_bus_error_setf(error, "org.kde.test.Error", "a sequence of %zu keys",
                                         sequence.size());
            }
            wanted.push_back(sequence[0]);
        }
        auto granted = fake.grant(id.at(0), id.at(1), wanted);
        Message reply = newReturn(call);
        sd_bus_message_open_container(reply.get(), 'a', "(ai)");
        for (int key : granted) {
            const std::int32_t sequence[4] = {key, 0, 0, 0};
            sd_bus_message_open_container(reply.get(), 'r', "ai");
            sd_bus_message_append_array(reply.get(), 'i', sequence, sizeof sequence);
            sd_bus_message_close_container(reply.get());
        }
        sd_bus_message_close_container(reply.get());
        return sd_bus_send(nullptr, reply.get(), nullptr);
    }

    static int unregisterAction(sd_bus_message* call, void* data, sd_bus_error*) {
        auto& fake = self(data);
        const char* component = nullptr;
        const char* action = nullptr;
        sd_bus_message_read(call, "ss", &component, &action);
        std::lock_guard lock(fake.mutex_);
        fake.calls_.push_back("unregister");
        const bool known = fake.actions_.erase({component, action}) != 0;
        return sd_bus_reply_method_return(call, "b", known);
    }

    static int getComponent(sd_bus_message* call, void* data, sd_bus_error* error) {
        auto& fake = self(data);
        const char* component = nullptr;
        sd_bus_message_read(call, "s", &component);
        std::lock_guard lock(fake.mutex_);
        fake.calls_.push_back("getComponent");
        for (const auto& [key, action] : fake.actions_) {
            if (key.first == component) {
                const std::string path = std::string("/component/") + component;
                return sd_bus_reply_method_return(call, "o", path.c_str());
            }
        }
        return sd_bus_error_setf(error, "org.kde.kglobalaccel.NoSuchComponent",
                                 "The component '%s' doesn't exist.", component);
    }

    static int shortcutsByKey(sd_bus_message* call, void* data, sd_bus_error*) {
        auto& fake = self(data);
        std::int32_t key = 0;
        sd_bus_message_read(call, "i", &key);
        Message reply = newReturn(call);
        std::lock_guard lock(fake.mutex_);
        fake.calls_.push_back("getGlobalShortcutsByKey");
        sd_bus_message_open_container(reply.get(), 'a', "(ssssssaiai)");
        for (const auto& [name, action] : fake.actions_) {
            if (std::find(action.keys.begin(), action.keys.end(), key) == action.keys.end()) {
                continue;
            }
            sd_bus_message_append(reply.get(), "(ssssssaiai)", name.second.c_str(),
                                  action.title.c_str(), name.first.c_str(), name.first.c_str(),
                                  "default", "Default Context", 1, key, 0);
        }
        sd_bus_message_close_container(reply.get());
        return sd_bus_send(nullptr, reply.get(), nullptr);
    }

    static int shortcutNames(sd_bus_message* call, void* data, sd_bus_error*) {
        auto& fake = self(data);
        std::string component = sd_bus_message_get_path(call);
        component = component.substr(std::strlen("/component/"));
        Message reply = newReturn(call);
        std::lock_guard lock(fake.mutex_);
        fake.calls_.push_back("shortcutNames");
        sd_bus_message_open_container(reply.get(), 'a', "s");
        for (const auto& [name, action] : fake.actions_) {
            if (name.first == component) {
                sd_bus_message_append(reply.get(), "s", name.second.c_str());
            }
        }
        sd_bus_message_close_container(reply.get());
        return sd_bus_send(nullptr, reply.get(), nullptr);
    }

    struct MessageRelease {
        void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
    };
    using Message = std::unique_ptr<sd_bus_message, MessageRelease>;
    static Message newReturn(sd_bus_message* call) {
        sd_bus_message* reply = nullptr;
        sd_bus_message_new_method_return(call, &reply);
        return Message(reply);
    }
};

FakeKGlobalAccel::FakeKGlobalAccel(const std::string& busAddress, bool keySequences)
    : keySequences_(keySequences) {
    if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, busAddress.c_str()) < 0 ||
        sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0) {
        return;
    }
    serve();
    ok_ = sd_bus_request_name(bus_, "org.kde.kglobalaccel", 0) >= 0;
    if (ok_) {
        thread_ = std::thread([this] { loop(); });
    }
}

FakeKGlobalAccel::~FakeKGlobalAccel() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    sd_bus_flush_close_unref(bus_);
}

void FakeKGlobalAccel::serve() {
    using C = Callbacks;
    constexpr auto open = SD_BUS_VTABLE_UNPRIVILEGED;
    static const sd_bus_vtable service[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("doRegister", "as", "", &C::doRegister, open),
        SD_BUS_METHOD("setShortcut", "asaiu", "ai", &C::setShortcut, open),
        SD_BUS_METHOD("setShortcutKeys", "asa(ai)u", "a(ai)", &C::setShortcutKeys, open),
        SD_BUS_METHOD("unregister", "ss", "b", &C::unregisterAction, open),
        SD_BUS_METHOD("getComponent", "s", "o", &C::getComponent, open),
        SD_BUS_METHOD("getGlobalShortcutsByKey", "i", "a(ssssssaiai)", &C::shortcutsByKey, open),
        SD_BUS_VTABLE_END,
    };
    static const sd_bus_vtable component[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("shortcutNames", "", "as", &C::shortcutNames, open),
        SD_BUS_VTABLE_END,
    };
    sd_bus_add_object_vtable(bus_, nullptr, "/kglobalaccel", "org.kde.KGlobalAccel", service, this);
    sd_bus_add_fallback_vtable(bus_, nullptr, "/component", componentInterface, component, nullptr,
                               this);
}

void FakeKGlobalAccel::loop() {
    while (!stop_) {
        while (sd_bus_process(bus_, nullptr) > 0) {
        }
        std::vector<std::function<void()>> commands;
        {
            std::lock_guard lock(mutex_);
            commands.swap(commands_);
        }
        for (auto& command : commands) {
            command();
        }
        sd_bus_flush(bus_);
        sd_bus_wait(bus_, 2000); // microseconds: the commands' cadence
    }
}

void FakeKGlobalAccel::run(const std::function<void()>& command) {
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    {
        std::lock_guard lock(mutex_);
        commands_.push_back([command, done] {
            command();
            done->set_value();
        });
    }
    finished.wait_for(std::chrono::seconds(5));
}

std::vector<int> FakeKGlobalAccel::grant(const std::string& component, const std::string& action,
                                         const std::vector<int>& keys) {
    std::lock_guard lock(mutex_);
    auto found = actions_.find({component, action});
    if (found == actions_.end()) {
        return {};
    }
    std::vector<int> granted;
    for (int key : keys) {
        bool held = false;
        for (const auto& [name, other] : actions_) {
            held = held || (name != found->first && std::find(other.keys.begin(), other.keys.end(),
                                                              key) != other.keys.end());
        }
        granted.push_back(held ? 0 : key);
    }
    found->second.keys.clear();
    for (int key : granted) {
        if (key != 0) {
            found->second.keys.push_back(key);
        }
    }
    return granted;
}

std::map<std::string, FakeKGlobalAccel::Action>
FakeKGlobalAccel::actions(const std::string& component) const {
    std::lock_guard lock(mutex_);
    std::map<std::string, Action> result;
    for (const auto& [name, action] : actions_) {
        if (name.first == component) {
            result[name.second] = action;
        }
    }
    return result;
}

void FakeKGlobalAccel::holdForOther(int key, const std::string& component,
                                    const std::string& action) {
    std::lock_guard lock(mutex_);
    actions_[{component, action}] = Action{component, action, {key}};
}

void FakeKGlobalAccel::press(const std::string& action, const std::string& component) {
    run([&] {
        const std::string path = "/component/" + component;
        sd_bus_emit_signal(bus_, path.c_str(), componentInterface, "globalShortcutPressed", "ssx",
                           component.c_str(), action.c_str(), static_cast<std::int64_t>(1));
    });
}

void FakeKGlobalAccel::note(const std::string& call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
}

std::vector<std::string> FakeKGlobalAccel::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

} // namespace morvanta::testing
