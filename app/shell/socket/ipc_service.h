// IpcService: the single-instance socket's requests in the running application. A second
// launch's "open settings" opens the settings window; every other line is a request of the
// command interface (`morvanta msg`), answered by the dispatcher. A malformed request ends its
// connection after its error line; a subscriber's connection stays open and carries a line for
// every change until the subscriber goes.
#pragma once

#include "app/controller/run_loop.h"
#include "app/ipc/ipc_dispatcher.h"
#include "app/shell/socket/socket_line_client.h"

#include <functional>
#include <string>

namespace morvanta {

class IpcService {
public:
    // The connections' limits for the command interface: 64 KiB requests, 1 MiB waiting for a
    // subscriber, and the error line a too long request gets.
    static SocketLineClient::Limits limits();

    // `target` and `loop` outlive every connection this service answers.
    IpcService(IpcTarget& target, RunLoop& loop, std::function<void()> openSettings);

    std::string answer(SocketLineClient& client, const std::string& line);

private:
    IpcTarget& target_;
    RunLoop& loop_;
    IpcDispatcher dispatcher_;
    std::function<void()> openSettings_;
};

} // namespace morvanta
