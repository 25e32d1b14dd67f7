// CommandSocket: the benchmark speaking to a running Morvanta on its command socket directly,
// one JSON request line and one reply line (the protocol of `morvanta msg`, without starting a
// `morvanta msg` process per command, whose own start-up would be counted otherwise).
#pragma once

#include <filesystem>
#include <string>

namespace morvanta::bench {

class CommandSocket {
public:
    // The first morvanta-*.socket in `folder` (a session runs one Morvanta).
    static std::filesystem::path find(const std::filesystem::path& folder);

    explicit CommandSocket(const std::filesystem::path& socket);
    ~CommandSocket();
    CommandSocket(const CommandSocket&) = delete;
    CommandSocket& operator=(const CommandSocket&) = delete;

    bool ok() const { return fd_ >= 0; }
    // Writes the request line; answers whether all of it was written.
    bool send(const std::string& command, const std::string& argument);
    // Reads the reply line ("" when the connection ended or nothing came for 5 s).
    std::string reply();

private:
    int fd_ = -1;
    std::string buffer_;
};

} // namespace morvanta::bench
