// LaunchAtLogin: whether Morvanta starts when the user logs in, kept as an XDG autostart
// entry at $XDG_CONFIG_HOME/autostart/morvanta.desktop. The entry counts as enabled when it
// is a readable file that is not marked Hidden=true or X-GNOME-Autostart-enabled=false.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace morvanta {

class LaunchAtLogin {
public:
    // The standard entry location, launching the running program (/proc/self/exe).
    LaunchAtLogin();
    // An explicit entry location (none when no configuration folder exists) and program.
    LaunchAtLogin(std::optional<std::filesystem::path> entry, std::filesystem::path program);

    bool enabled() const;
    // Writes (atomically) or removes the entry. False with a one-line reason in *error.
    bool setEnabled(bool enabled, std::string* error) const;

    const std::optional<std::filesystem::path>& entryPath() const { return entry_; }
    // The entry's text for the program; none when the path cannot be written in an Exec line.
    static std::optional<std::string> entryText(const std::filesystem::path& program);

private:
    std::optional<std::filesystem::path> entry_;
    std::filesystem::path program_;
};

} // namespace morvanta
