#include "tests/x11/test_client.h"

#include <cstdlib>

namespace morvanta::testing {

TestClient::TestClient(const std::string& display)
    : process_(LineProcess::besideThisTest("morvanta-testclient"), {}, display) {}

std::uint32_t TestClient::open(const std::string& name, int x, int y, int w, int h, bool map) {
    const std::string reply =
        command(std::string(map ? "open " : "create ") + name + " " + std::to_string(x) + " " +
                std::to_string(y) + " " + std::to_string(w) + " " + std::to_string(h));
    const std::string prefix = "window " + name + " ";
    if (reply.rfind(prefix, 0) != 0)
        return 0;
    return static_cast<std::uint32_t>(std::strtoul(reply.c_str() + prefix.size(), nullptr, 10));
}

} // namespace morvanta::testing
