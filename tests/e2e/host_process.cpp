#include "tests/e2e/host_process.h"

namespace morvanta::testing {

HostProcess::HostProcess(const std::string& display)
    : process_(LineProcess::besideThisTest("morvanta-controller-host"), {display}, display) {}

HostProcess::~HostProcess() {
    if (!process_.ok())
        return;
    // The host stops the controller (bringing parked windows back) and exits on "quit".
    process_.command("quit", std::chrono::seconds(5));
    process_.finish(std::chrono::seconds(5));
}

} // namespace morvanta::testing
