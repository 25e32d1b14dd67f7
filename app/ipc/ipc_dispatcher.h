// IpcDispatcher: answers one request line of the command interface. It reads the request
// strictly, carries it out on its target and says what the connection does next: a malformed
// request (bad JSON or UTF-8, unknown fields, a wrong protocol) gets its error line and the
// connection is closed; a refused one (an unknown action or workspace) gets its error line and
// the connection stays; `subscribe` asks the connection to follow the target's changes.
#pragma once

#include "app/ipc/ipc_target.h"

#include <string>
#include <string_view>

namespace morvanta {

struct IpcOutcome {
    std::string reply;
    bool close = false;     // the request was malformed: close once the reply is out
    bool subscribe = false; // follow the target's changes from now on
};

class IpcDispatcher {
public:
    explicit IpcDispatcher(IpcTarget& target) : target_(target) {}

    IpcOutcome handle(std::string_view line);
    // The answer to a line longer than the request limit.
    static std::string tooLongReply();

private:
    std::string runAction(const std::string& name);
    std::string showWorkspace(const std::string& label, bool moveWindow);
    std::string setLayout(const std::string& name);
    std::string setPaused(const std::string& value);
    std::string answer(IpcTarget::Result result, const std::string& subject);

    IpcTarget& target_;
};

} // namespace morvanta
