// DesktopEntryNames: the name a user knows an application by, found through its desktop
// entry. An entry matches an application identifier (the class part of WM_CLASS) when its
// StartupWMClass equals it, or else when its file name without ".desktop" equals it ignoring
// ASCII case. Entries are looked up in $XDG_DATA_HOME/applications, then in each
// $XDG_DATA_DIRS/applications, the first match winning.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

class DesktopEntryNames {
public:
    // The standard XDG folders' "applications" subfolders.
    DesktopEntryNames();
    explicit DesktopEntryNames(std::vector<std::filesystem::path> folders);

    // The matching entry's Name, or the identifier itself when no entry matches.
    std::string displayName(const std::string& identifier) const;

private:
    std::optional<std::string> find(const std::string& identifier, bool byWmClass) const;

    std::vector<std::filesystem::path> folders_;
};

} // namespace morvanta
