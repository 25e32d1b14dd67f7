#include "app/diagnostics/xdg_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

namespace morvanta {

namespace {

namespace fs = std::filesystem;

std::optional<fs::path> absoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return std::nullopt;
    return fs::path(value);
}

std::optional<fs::path> underHome(const char* variable, const fs::path& fallback) {
    if (auto folder = absoluteEnv(variable))
        return folder;
    if (auto home = XdgFolders::home())
        return *home / fallback;
    return std::nullopt;
}

} // namespace

std::optional<fs::path> XdgFolders::home() {
    if (auto home = absoluteEnv("HOME"))
        return home;
    const passwd* entry = getpwuid(getuid());
    if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/')
        return fs::path(entry->pw_dir);
    return std::nullopt;
}

std::optional<fs::path> XdgFolders::configHome() {
    return underHome("XDG_CONFIG_HOME", ".config");
}

std::optional<fs::path> XdgFolders::stateHome() {
    return underHome("XDG_STATE_HOME", fs::path(".local") / "state");
}

std::optional<fs::path> XdgFolders::dataHome() {
    return underHome("XDG_DATA_HOME", fs::path(".local") / "share");
}

std::vector<fs::path> XdgFolders::dataDirs() {
    const char* value = std::getenv("XDG_DATA_DIRS");
    std::string_view list =
        value != nullptr && value[0] != '\0' ? value : "/usr/local/share:/usr/share";
    std::vector<fs::path> folders;
    while (!list.empty()) {
        auto end = list.find(':');
        std::string_view entry = list.substr(0, end);
        if (entry.starts_with('/'))
            folders.emplace_back(entry);
        list = end == std::string_view::npos ? std::string_view{} : list.substr(end + 1);
    }
    return folders;
}

} // namespace morvanta
