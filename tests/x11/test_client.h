// TestClient: drives one morvanta-testclient process on a test display: sends it commands and
// reads its one-line answers (with a deadline), so tests get real windows of another process.
#pragma once

#include "tests/support/line_process.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace morvanta::testing {

class TestClient {
public:
    explicit TestClient(const std::string& display);

    bool ok() const { return process_.ok(); }
    pid_t pid() const { return process_.pid(); }

    // Sends one command and answers the reply line ("" when none came in time).
    std::string command(const std::string& line,
                        std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
        return process_.command(line, deadline);
    }
    // "open"/"create" and answers the new window's id (0 on failure).
    std::uint32_t open(const std::string& name, int x, int y, int w, int h, bool map = true);
    // Kills the process at once (SIGKILL): its windows vanish with its connection.
    void kill() { process_.kill(); }

private:
    LineProcess process_;
};

} // namespace morvanta::testing
