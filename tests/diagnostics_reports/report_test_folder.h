// A temporary XDG_STATE_HOME for one test, removed afterwards, with small file helpers.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace morvanta::testing {

class ReportTestFolder {
public:
    ReportTestFolder();
    ~ReportTestFolder();

    const std::filesystem::path& state() const { return state_; }
    std::filesystem::path diagnostics() const { return state_ / "morvanta" / "Diagnostics"; }
    std::filesystem::path pending() const { return diagnostics() / "Pending"; }

    // File names in a folder whose names start with `prefix`, sorted.
    static std::vector<std::string> names(const std::filesystem::path& folder,
                                          const std::string& prefix = "");
    static std::string read(const std::filesystem::path& file);
    static void write(const std::filesystem::path& file, const std::string& text);

private:
    std::filesystem::path state_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// Runs report_child with `mode` under the folder's XDG_STATE_HOME; answers its wait status.
int runChild(const ReportTestFolder& folder, const std::string& mode);
// Starts report_child without waiting; answers its process id.
int spawnChild(const ReportTestFolder& folder, const std::string& mode);

} // namespace morvanta::testing
