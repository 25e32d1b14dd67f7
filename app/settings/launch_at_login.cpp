#include "app/settings/launch_at_login.h"

#include "app/diagnostics/xdg_folders.h"
#include "app/settings/atomic_file.h"

#include <fstream>
#include <string_view>

namespace morvanta {

namespace {

namespace fs = std::filesystem;

std::optional<fs::path> standardEntry() {
    if (auto config = XdgFolders::configHome())
        return *config / "autostart" / "morvanta.desktop";
    return std::nullopt;
}

fs::path runningProgram() {
    std::error_code code;
    fs::path program = fs::read_symlink("/proc/self/exe", code);
    return code ? fs::path("morvanta") : program;
}

// The Exec value for one argument: quoted, with the characters the desktop-entry rules
// reserve inside quotes escaped, "%" doubled, and then every backslash doubled because Exec
// is a string value. Control characters cannot be written at all.
std::optional<std::string> execArgument(std::string_view path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return std::nullopt;
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c == '%' ? "%%" : std::string(1, c);
    }
    quoted += '"';
    std::string value;
    for (char c : quoted)
        value += c == '\\' ? "\\\\" : std::string(1, c);
    return value;
}

} // namespace

LaunchAtLogin::LaunchAtLogin() : LaunchAtLogin(standardEntry(), runningProgram()) {}

LaunchAtLogin::LaunchAtLogin(std::optional<fs::path> entry, fs::path program)
    : entry_(std::move(entry)), program_(std::move(program)) {}

std::optional<std::string> LaunchAtLogin::entryText(const fs::path& program) {
    auto exec = execArgument(program.string());
    if (!exec)
        return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Morvanta\n"
           "Comment=Tiles your windows automatically\n"
           "Exec=" +
           *exec +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool LaunchAtLogin::enabled() const {
    if (!entry_)
        return false;
    std::ifstream stream(*entry_);
    if (!stream || !fs::is_regular_file(*entry_))
        return false;
    std::string line;
    while (std::getline(stream, line)) {
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
            return false;
    }
    return true;
}

bool LaunchAtLogin::setEnabled(bool enabled, std::string* error) const {
    if (!entry_) {
        if (error != nullptr)
            *error = "no configuration folder was found";
        return false;
    }
    std::error_code code;
    if (!enabled) {
        fs::remove(*entry_, code);
        if (code && error != nullptr)
            *error = "cannot remove " + entry_->string() + ": " + code.message();
        return !code;
    }
    auto text = entryText(program_);
    if (!text) {
        if (error != nullptr)
            *error = "the program's path " + program_.string() +
                     " contains characters an autostart entry cannot hold";
        return false;
    }
    fs::create_directories(entry_->parent_path(), code);
    return AtomicFile::write(*entry_, *text, error);
}

} // namespace morvanta
