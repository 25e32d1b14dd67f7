// IpcTarget: what the command interface drives. The running application's target calls the
// same controller commands and shortcut actions the keys do; the protocol's tests use a fake.
// Each command answers whether it was carried out, or why not; a refused command changes
// nothing.
#pragma once

#include "app/ipc/ipc_state.h"
#include "core/layout_kind.h"
#include "core/subscription.h"

#include <functional>
#include <string>
#include <vector>

namespace morvanta {

class IpcTarget {
public:
    enum class Result { done, unknownAction, unknownWorkspace, noFocusedWindow };

    virtual ~IpcTarget() = default;

    virtual IpcState state() = 0;
    virtual bool paused() = 0;
    // Every action name `runAction` takes, in the shortcut list's order.
    virtual std::vector<std::string> actionNames() = 0;
    virtual Result runAction(const std::string& name) = 0;
    virtual Result showWorkspace(int number) = 0;
    virtual Result moveFocusedWindow(int number) = 0;
    // Sets the layout of the workspace shown on the display the user works on.
    virtual Result setLayout(LayoutKind kind) = 0;
    virtual Result setPaused(bool paused) = 0;
    // Calls `changed` after anything `state` shows may have changed.
    [[nodiscard]] virtual Subscription watch(std::function<void()> changed) = 0;
};

} // namespace morvanta
