// IpcEventFeed: one subscriber's stream of the command interface. It sends the current state
// first, then one line for every change of what the state shows, each naming the kinds of
// change. Changes that come in one burst (a switch publishes the displays' summaries, the
// current workspace and the focus one after another) are gathered on the run loop's next turn
// into one line; a burst that changes nothing the state shows sends nothing.
#pragma once

#include "app/controller/run_loop.h"
#include "app/ipc/ipc_target.h"

#include <functional>
#include <optional>
#include <string>

namespace morvanta {

class IpcEventFeed {
public:
    using Sink = std::function<void(const std::string& line)>;

    // `target` and `loop` outlive the feed. The first line goes out on the loop's next turn.
    IpcEventFeed(IpcTarget& target, RunLoop& loop, Sink sink);
    ~IpcEventFeed();
    IpcEventFeed(const IpcEventFeed&) = delete;
    IpcEventFeed& operator=(const IpcEventFeed&) = delete;

private:
    void changed();
    void publish();

    IpcTarget& target_;
    RunLoop& loop_;
    Sink sink_;
    std::optional<IpcState> last_;
    Subscription watch_;
    RunLoop::TaskID pending_ = 0;
};

} // namespace morvanta
