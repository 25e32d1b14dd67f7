// SystemFacts: what the support mail says about this build and this computer: Morvanta's
// version and build, the distribution (/etc/os-release), the kernel release (uname) and the
// machine model (the firmware's DMI product name, or the device tree's model on boards
// without DMI). Every reader answers text; unknown values are "?" or an empty text.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace morvanta {

struct SystemFacts {
    std::string version;      // Morvanta's version, "?" when unknown
    std::string build;        // Morvanta's build number, "?" when unknown
    std::string distribution; // e.g. "Debian GNU/Linux 12 (bookworm)"; empty when unknown
    std::string kernel;       // e.g. "6.1.0-18-amd64"; "?" when unknown
    std::string machineModel; // e.g. "ThinkPad X1 Carbon Gen 9"
    int screenCount = 0;

    // The facts of this process and computer; the screen count comes from the caller.
    static SystemFacts current(int screenCount);

    static std::string appVersion();
    static std::string appBuild();
    // PRETTY_NAME of <root>/etc/os-release (or <root>/usr/lib/os-release), else NAME and
    // VERSION_ID; empty when neither file says.
    static std::string readDistribution(const std::filesystem::path& root = "/");
    static std::string readKernelRelease();
    // The DMI product name, skipping the placeholders firmware leaves in it, then the DMI
    // board name, then the device tree's model, then the processor architecture.
    static std::string readMachineModel(const std::filesystem::path& root = "/");

    // Replaces every byte sequence that is not UTF-8 with U+FFFD.
    static std::string repairUtf8(std::string_view text);
};

} // namespace morvanta
