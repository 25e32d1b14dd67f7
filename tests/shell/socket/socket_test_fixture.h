// Tests of the single-instance socket on the Qt run loop: a private folder for the socket, and
// raw connections that a test drives byte by byte, closed when the test ends.
#pragma once

#include "tests/support/qt_run_loop_fixture.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace morvanta::testing {

class SocketTest : public QtRunLoopTest {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/morvanta-socket-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        path = folder / "morvanta-test.socket";
    }
    void TearDown() override {
        for (const int fd : opened)
            close(fd);
        std::filesystem::remove_all(folder);
    }
    // A raw connection to `path`. While the backlog is full the loop runs, as it would for a
    // caller that waits to be taken.
    int connectRaw() {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path.c_str());
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        opened.push_back(fd);
        const bool connected = spinUntil([&] {
            return connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        });
        return connected ? fd : -1;
    }
    // Sends all of `text`, or as much as the socket takes before the other side goes.
    static void say(int fd, const std::string& text) {
        std::size_t sent = 0;
        while (sent < text.size()) {
            const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
    }
    // Reads what has arrived into `received`; true once the server has closed the connection.
    static bool readClosed(int fd, std::string* received = nullptr) {
        char chunk[65536];
        for (;;) {
            const ssize_t n = recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (n > 0) {
                if (received)
                    received->append(chunk, static_cast<std::size_t>(n));
                continue;
            }
            return n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        }
    }

    std::filesystem::path folder, path;
    std::vector<int> opened;
};

} // namespace morvanta::testing
