#include "app/shell/socket/msg_client.h"

#include "app/ipc/ipc_request.h"
#include "app/shell/socket/single_instance.h"

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <ostream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace morvanta {

namespace {

using json = nlohmann::json;

// The longest answer taken: a state of many windows with long titles fits many times over.
constexpr std::size_t maxAnswerBytes = 16 * 1024 * 1024;
constexpr const char* notRunning = "Morvanta is not running on this display.";

std::string dumpLine(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace

std::string MsgClient::helpText() {
    return "Usage: morvanta msg COMMAND [ARGUMENT]\n"
           "Drives and watches the Morvanta running on this display.\n"
           "\n"
           "  state             print the state as one JSON object: displays, workspaces, windows\n"
           "  actions           print every action name 'run' takes, one per line\n"
           "  run NAME          run a shortcut action (switchToWorkspace2, focusLeft, nextLayout, "
           "...)\n"
           "  workspace N       show workspace N (1-9 or an existing letter workspace A-Z)\n"
           "  move-window N     move the focused window to workspace N\n"
           "  layout NAME       set the current workspace's layout: columns, rows, mainStack,\n"
           "                    grid or monocle\n"
           "  pause on|off|toggle\n"
           "                    pause tiling (every window shows) or resume it\n"
           "  subscribe         print one JSON line now and one for every change of the state\n"
           "                    (workspace shown, layouts, focus, windows, pause) until\n"
           "                    interrupted\n"
           "\n"
           "Exit status: 0 on success, 1 on a failure (Morvanta not running, an unknown action,\n"
           "workspace or layout, a refused request), 2 on a usage error. See docs/ipc.md for\n"
           "the protocol.\n";
}

int MsgClient::fail(const std::string& message) {
    err_ << "morvanta: " << message << "\n";
    return 1;
}

int MsgClient::run(const std::vector<std::string>& arguments) {
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        out_ << helpText();
        return 0;
    }
    const auto parsed = IpcRequest::fromArguments(arguments);
    if (!parsed.request) {
        err_ << "morvanta msg: " << parsed.error << "; try 'morvanta msg --help'.\n";
        return 2;
    }
    const int fd = connectToRunning();
    if (fd < 0)
        return fail(notRunning);
    int status;
    if (!SingleInstance::sendAll(fd, parsed.request->toLine() + "\n")) {
        status = fail(notRunning);
    } else if (const auto reply = readLine(fd, answerLimit); !reply) {
        status = fail("the Morvanta running on this display did not answer.");
    } else {
        status = printAnswer(parsed.request->command, *reply);
        if (status == 0 && parsed.request->command == "subscribe")
            status = follow(fd);
    }
    close(fd);
    return status;
}

int MsgClient::connectToRunning() {
    if (!socket_)
        return -1;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socket_->string();
    if (path.size() >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::optional<std::string> MsgClient::readLine(int fd,
                                               std::optional<std::chrono::milliseconds> limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit.value_or(std::chrono::hours(0));
    for (;;) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        if (pending_.size() > maxAnswerBytes)
            return std::nullopt;
        int wait = -1;
        if (limit) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return std::nullopt;
            wait = static_cast<int>(left.count());
        }
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char chunk[65536];
        const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
}

int MsgClient::printAnswer(const std::string& command, const std::string& reply) {
    const json answer = json::parse(reply, nullptr, false);
    if (answer.is_discarded() || !answer.is_object() || !answer.contains("ok"))
        return fail("the Morvanta running on this display does not know 'morvanta msg'; "
                    "restart it to use this version.");
    if (answer.value("ok", false) != true) {
        const auto message = answer.find("error");
        return fail(message != answer.end() && message->is_string() ? message->get<std::string>()
                                                                    : "the request was refused.");
    }
    const auto result = answer.find("result");
    if (command == "state" && result != answer.end())
        out_ << dumpLine(*result) << "\n";
    if (command == "actions" && result != answer.end() && result->is_array())
        for (const auto& name : *result)
            if (name.is_string())
                out_ << name.get<std::string>() << "\n";
    out_.flush();
    return 0;
}

int MsgClient::follow(int fd) {
    while (const auto line = readLine(fd, std::nullopt)) {
        out_ << *line << "\n";
        out_.flush();
        if (!out_)
            return 1; // whoever read the lines has gone
    }
    return fail("Morvanta has quit; the subscription ended.");
}

} // namespace morvanta
