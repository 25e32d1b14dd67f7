#include "app/ipc/ipc_reply.h"

#include "app/ipc/ipc_request.h"

namespace morvanta {

using ordered = nlohmann::ordered_json;

std::string IpcReply::line(const ordered& value) {
    return value.dump(-1, ' ', false, ordered::error_handler_t::replace);
}

std::string IpcReply::ok() {
    return line(ordered{{"protocol", IpcRequest::protocol}, {"ok", true}});
}

std::string IpcReply::ok(const ordered& result) {
    return line(ordered{{"protocol", IpcRequest::protocol}, {"ok", true}, {"result", result}});
}

std::string IpcReply::error(const char* code, const std::string& message) {
    return line(ordered{
        {"protocol", IpcRequest::protocol}, {"ok", false}, {"code", code}, {"error", message}});
}

std::string IpcReply::event(const std::vector<std::string>& changes, const IpcState& state) {
    return line(ordered{{"protocol", IpcRequest::protocol},
                        {"event", changes.empty() ? std::string("state") : changes.front()},
                        {"changes", changes},
                        {"state", state.toJson()}});
}

} // namespace morvanta
