#include "app/shell/socket/ipc_service.h"

#include "app/ipc/ipc_event_feed.h"
#include "app/ipc/ipc_request.h"
#include "app/shell/socket/single_instance.h"

#include <memory>

namespace morvanta {

SocketLineClient::Limits IpcService::limits() {
    SocketLineClient::Limits limits;
    limits.maxLineBytes = IpcRequest::maxLineBytes;
    limits.maxOutputBytes = 1024 * 1024;
    limits.tooLongReply = IpcDispatcher::tooLongReply();
    return limits;
}

IpcService::IpcService(IpcTarget& target, RunLoop& loop, std::function<void()> openSettings)
    : target_(target), loop_(loop), dispatcher_(target), openSettings_(std::move(openSettings)) {}

std::string IpcService::answer(SocketLineClient& client, const std::string& line) {
    if (line == SingleInstance::openSettingsRequest) {
        if (openSettings_)
            openSettings_();
        return "ok";
    }
    auto outcome = dispatcher_.handle(line);
    if (outcome.close)
        client.finishAfterOutput();
    if (outcome.subscribe && !client.staysOpen()) {
        client.stayOpen();
        client.hold(std::make_shared<IpcEventFeed>(
            target_, loop_, [&client](const std::string& event) { client.push(event); }));
    }
    return outcome.reply;
}

} // namespace morvanta
