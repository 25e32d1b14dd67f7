// IpcReply: the lines a running Morvanta writes back on the command interface, each one JSON
// object on one line with the protocol number: a success (with its result, if any), an error
// with a code and a message, or a subscription's event. Text that is not valid UTF-8 (a window
// title from an old program) is printed with replacement characters instead of failing.
#pragma once

#include "app/ipc/ipc_state.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace morvanta {

class IpcReply {
public:
    // Error codes, also documented for other programs.
    static constexpr const char* badRequest = "bad-request"; // connection then closed
    static constexpr const char* unknownCommand = "unknown-command";
    static constexpr const char* unknownAction = "unknown-action";
    static constexpr const char* unknownWorkspace = "unknown-workspace";
    static constexpr const char* unknownLayout = "unknown-layout";
    static constexpr const char* refused = "refused";

    static std::string ok();
    static std::string ok(const nlohmann::ordered_json& result);
    static std::string error(const char* code, const std::string& message);
    // One subscription line: `changes` says what changed ("state" for the first line).
    static std::string event(const std::vector<std::string>& changes, const IpcState& state);

    // One JSON value as one line (no line feed), never throwing on bad UTF-8.
    static std::string line(const nlohmann::ordered_json& value);
};

} // namespace morvanta
