// morvanta-testclient: the X test client in a process of its own, so tests drive real windows
// of another program, which vanish with its connection when it is killed. One command per line
// on stdin (see X11TestClient::command); each answers one line on stdout once the X server has
// handled it. "quit" or the end of input ends it.
#include "tests/support/x11_test_client.h"

#include <iostream>
#include <string>
#include <unistd.h>

int main() {
    morvanta::testing::X11TestClient client("", static_cast<std::uint32_t>(getpid()));
    if (!client.ok()) {
        std::cout << "error no display" << std::endl;
        return 1;
    }
    std::string line;
    while (std::getline(std::cin, line) && line != "quit") {
        if (line.empty())
            continue;
        std::cout << client.command(line) << std::endl;
        // Events are not needed here; dropped so they do not pile up.
        client.pendingEventTypes();
    }
    return 0;
}
