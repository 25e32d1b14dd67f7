// FakeIpcTarget: a controller stand-in for the command interface's tests. It keeps a small
// state (two displays' worth of workspaces, a few windows, pause), records every command it
// carries out, and tells its watchers when a command changed something, as the controller's
// published values do.
#pragma once

#include "app/ipc/ipc_target.h"
#include "core/observer_list.h"
#include "core/workspace_numbers.h"

#include <algorithm>
#include <string>
#include <vector>

namespace morvanta::testing {

class FakeIpcTarget : public IpcTarget {
public:
    FakeIpcTarget() {
        current.version = "9.9.9";
        current.displays = {{"HDMI-1", "HDMI-1", {0, 0, 1920, 1080}, "1"}};
        for (int n = 1; n <= 9; ++n)
            current.workspaces.push_back(
                {n, std::to_string(n), n == 1 ? "Web" : "", "mainStack", "HDMI-1", {}});
        current.workspaces[0].windows = {
            {0x400001, "XTerm", "one", {0, 0, 960, 1080}, false, true},
            {0x600001, "XClock", "clock", {960, 0, 960, 1080}, true, false}};
    }

    IpcState state() override { return current; }
    bool paused() override { return current.paused; }
    std::vector<std::string> actionNames() override {
        return {"switchToWorkspace1", "switchToWorkspace2", "moveToWorkspace1", "nextLayout",
                "togglePause"};
    }
    Result runAction(const std::string& name) override {
        const auto names = actionNames();
        if (std::ranges::find(names, name) == names.end())
            return Result::unknownAction;
        record("run " + name);
        if (name.starts_with("switchToWorkspace"))
            show(name.substr(17));
        return Result::done;
    }
    Result showWorkspace(int number) override {
        if (!exists(number))
            return Result::unknownWorkspace;
        record("workspace " + workspaceLabel(number));
        show(workspaceLabel(number));
        return Result::done;
    }
    Result moveFocusedWindow(int number) override {
        if (!exists(number))
            return Result::unknownWorkspace;
        if (!focusedWindow)
            return Result::noFocusedWindow;
        record("move-window " + workspaceLabel(number));
        return Result::done;
    }
    Result setLayout(LayoutKind kind) override {
        record("layout " + std::string(rawValue(kind)));
        current.workspaces[0].layout = std::string(rawValue(kind));
        changed.notify();
        return Result::done;
    }
    Result setPaused(bool on) override {
        record(on ? "pause on" : "pause off");
        current.paused = on;
        changed.notify();
        return Result::done;
    }
    Subscription watch(std::function<void()> callback) override {
        return changed.add(std::move(callback));
    }

    // Shows workspace `label` on the display and tells the watchers twice, as a switch
    // publishes both the summaries and the current number.
    void show(const std::string& label) {
        current.displays[0].workspace = label;
        changed.notify();
        changed.notify();
    }
    bool exists(int number) const { return isDigitWorkspace(number) || number == 101; }
    void record(const std::string& call) { calls.push_back(call); }

    IpcState current;
    bool focusedWindow = true;
    std::vector<std::string> calls;
    ObserverList<> changed;
};

} // namespace morvanta::testing
