// XdgSandbox: a private temporary home for a test. XDG_CONFIG_HOME, XDG_STATE_HOME,
// XDG_DATA_HOME and XDG_DATA_DIRS point into a fresh folder while the object lives, so tests
// never read or write the user's real settings, log or desktop entries. Restores the
// variables and deletes the folder when it goes.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace morvanta::testing {

class XdgSandbox {
public:
    XdgSandbox() : XdgSandbox(std::filesystem::temp_directory_path()) {}
    // The sandbox inside the given folder (for example a memory file system).
    explicit XdgSandbox(const std::filesystem::path& base) {
        std::string pattern = base / "morvanta-test-XXXXXX";
        root_ =
            ::mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
        point("XDG_CONFIG_HOME", root_ / "config");
        point("XDG_STATE_HOME", root_ / "state");
        point("XDG_DATA_HOME", root_ / "data");
        point("XDG_DATA_DIRS", root_ / "system-data");
    }
    ~XdgSandbox() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                ::unsetenv(it->first.c_str());
        }
        std::error_code ignored;
        if (!root_.empty())
            std::filesystem::remove_all(root_, ignored);
    }
    XdgSandbox(const XdgSandbox&) = delete;
    XdgSandbox& operator=(const XdgSandbox&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path config() const { return root_ / "config"; }
    std::filesystem::path state() const { return root_ / "state"; }
    // Morvanta's diagnostics log in this home, whole ("" before its first line).
    std::string morvantaLog() const {
        std::ifstream in(state() / "morvanta" / "Morvanta.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::filesystem::path data() const { return root_ / "data"; }
    std::filesystem::path systemData() const { return root_ / "system-data"; }

    // Sets another variable for the sandbox's lifetime (unset when value is none).
    void set(const std::string& name, const std::optional<std::string>& value) {
        remember(name);
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }

private:
    void remember(const std::string& name) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    void point(const std::string& name, const std::filesystem::path& path) {
        set(name, path.string());
    }

    std::filesystem::path root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace morvanta::testing
