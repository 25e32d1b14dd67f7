#include "tests/diagnostics_reports/report_test_folder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char** environ;

namespace morvanta::testing {

namespace fs = std::filesystem;

ReportTestFolder::ReportTestFolder() {
    std::string pattern = (fs::temp_directory_path() / "morvanta-reports-XXXXXX").string();
    state_ = mkdtemp(pattern.data());
    if (const char* value = std::getenv("XDG_STATE_HOME")) {
        previous_ = value;
        hadPrevious_ = true;
    }
    setenv("XDG_STATE_HOME", state_.c_str(), 1);
}

ReportTestFolder::~ReportTestFolder() {
    if (hadPrevious_)
        setenv("XDG_STATE_HOME", previous_.c_str(), 1);
    else
        unsetenv("XDG_STATE_HOME");
    std::error_code ignored;
    fs::remove_all(state_, ignored);
}

std::vector<std::string> ReportTestFolder::names(const fs::path& folder,
                                                 const std::string& prefix) {
    std::vector<std::string> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        if (entry.is_regular_file() && entry.path().filename().string().starts_with(prefix))
            found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
}

std::string ReportTestFolder::read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void ReportTestFolder::write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

int spawnChild(const ReportTestFolder&, const std::string& mode) {
    // The folder has set XDG_STATE_HOME in this process's environment, which the child gets.
    std::string program = REPORT_CHILD;
    std::vector<char*> argv = {program.data(), const_cast<char*>(mode.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

int runChild(const ReportTestFolder& folder, const std::string& mode) {
    pid_t pid = spawnChild(folder, mode);
    int status = -1;
    if (pid > 0)
        waitpid(pid, &status, 0);
    return status;
}

} // namespace morvanta::testing
