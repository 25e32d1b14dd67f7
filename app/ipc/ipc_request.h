// IpcRequest: one request of the command interface, as `morvanta msg` builds it from its
// arguments and as the running Morvanta reads it from a JSON line. Reading is strict: a line
// that is not valid UTF-8, not a JSON object, nested too deeply, with an unknown field, a
// missing or unsupported protocol number, or a command without its one argument is refused
// with a message saying what is wrong.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvanta {

struct IpcParsedRequest;

class IpcRequest {
public:
    // The protocol this build speaks; a request names it in its "protocol" field.
    static constexpr int protocol = 1;
    // The longest request line accepted, line feed excluded.
    static constexpr std::size_t maxLineBytes = 64 * 1024;

    std::string command;
    // The one argument of run, workspace, move-window, layout and pause.
    std::optional<std::string> argument;

    // Every command, in the order help lists them.
    static const std::vector<std::string>& commands();
    // Whether `command` takes its one argument; none for an unknown command.
    static std::optional<bool> takesArgument(std::string_view command);

    // Reads one request line (without its line feed).
    static IpcParsedRequest parse(std::string_view line);
    // `morvanta msg` arguments (after "msg"): a request, or the usage error.
    static IpcParsedRequest fromArguments(const std::vector<std::string>& arguments);

    // The request as one JSON line, without its line feed.
    std::string toLine() const;

    bool operator==(const IpcRequest&) const = default;
};

// A request, or why there is none.
struct IpcParsedRequest {
    std::optional<IpcRequest> request;
    std::string error;
    // The request is well-formed but names a command this build does not know.
    bool unknownCommand = false;
};

} // namespace morvanta
