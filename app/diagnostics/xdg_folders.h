// XdgFolders: where the XDG base-directory rules put a user's configuration, state and data.
// A variable that is unset, empty or not an absolute path falls back to its default under
// $HOME (or the password database's home when HOME is unusable).
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace morvanta {

class XdgFolders {
public:
    static std::optional<std::filesystem::path> home();
    // $XDG_CONFIG_HOME or ~/.config.
    static std::optional<std::filesystem::path> configHome();
    // $XDG_STATE_HOME or ~/.local/state.
    static std::optional<std::filesystem::path> stateHome();
    // $XDG_DATA_HOME or ~/.local/share.
    static std::optional<std::filesystem::path> dataHome();
    // The absolute entries of $XDG_DATA_DIRS, or /usr/local/share and /usr/share.
    static std::vector<std::filesystem::path> dataDirs();
};

} // namespace morvanta
