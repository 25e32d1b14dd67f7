// MsgClient: `morvanta msg COMMAND [ARGS]`, the command interface from a shell or a script.
// It sends one request to the Morvanta running on this display over its socket, prints the
// answer (the state as one JSON line, the actions one per line, nothing for a command carried
// out) or, for `subscribe`, every event line as it comes, flushed at once, until Morvanta quits
// or the user interrupts. Exit status 0 on success, 1 with one line on standard error for a
// failure, 2 for a usage error.
#pragma once

#include <chrono>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

class MsgClient {
public:
    static constexpr std::chrono::seconds answerLimit{5};

    // `socket` is the display's socket path (none when there is no usable runtime folder).
    MsgClient(std::optional<std::filesystem::path> socket, std::ostream& out, std::ostream& err)
        : socket_(std::move(socket)), out_(out), err_(err) {}

    // `arguments` are those after "msg".
    int run(const std::vector<std::string>& arguments);
    static std::string helpText();

private:
    // Connects; -1 when nothing listens at the socket.
    int connectToRunning();
    // One line, waiting at most `limit` (none: as long as it takes); none at the end or timeout.
    std::optional<std::string> readLine(int fd, std::optional<std::chrono::milliseconds> limit);
    int printAnswer(const std::string& command, const std::string& reply);
    int follow(int fd);
    int fail(const std::string& message);

    std::optional<std::filesystem::path> socket_;
    std::ostream& out_;
    std::ostream& err_;
    std::string pending_; // bytes read past the last line
};

} // namespace morvanta
