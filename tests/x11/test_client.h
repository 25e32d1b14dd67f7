// TestClient: drives one morvanta-testclient process on a test display: sends it commands and
// reads its one-line answers (with a deadline), so tests get real windows of another process.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace morvanta::testing {

class TestClient {
public:
    explicit TestClient(const std::string& display);
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    bool ok() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Sends one command and answers the reply line ("" when none came in time).
    std::string command(const std::string& line,
                        std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // "open"/"create" and answers the new window's id (0 on failure).
    std::uint32_t open(const std::string& name, int x, int y, int w, int h, bool map = true);
    // Kills the process at once (SIGKILL): its windows vanish with its connection.
    void kill();

private:
    pid_t pid_ = -1;
    int to_ = -1;
    int from_ = -1;
    std::string buffer_;
};

} // namespace morvanta::testing
