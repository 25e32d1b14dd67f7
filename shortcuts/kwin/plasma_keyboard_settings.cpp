#include "shortcuts/kwin/plasma_keyboard_settings.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace morvanta {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The key=value lines of one [section]; later lines win, as KConfig reads them.
std::map<std::string, std::string> sectionOf(std::istream& in, const std::string& section) {
    std::map<std::string, std::string> values;
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        const auto equals = line.find('=');
        if (inside && equals != std::string::npos) {
            values[trimmed(line.substr(0, equals))] = trimmed(line.substr(equals + 1));
        }
    }
    return values;
}

} // namespace

std::filesystem::path plasmaKeyboardSettingsPath() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        return std::filesystem::path(config) / "kxkbrc";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::filesystem::path(home) / ".config" / "kxkbrc";
    }
    return {};
}

XkbNames plasmaKeyboardNames(const std::filesystem::path& settings) {
    std::ifstream in(settings);
    if (!in) {
        return {};
    }
    auto values = sectionOf(in, "Layout");
    if (values["Use"] == "false") {
        return {};
    }
    XkbNames names;
    names.model = values["Model"];
    names.layout = values["LayoutList"];
    // A variant list only means something beside its layouts.
    names.variant = names.layout.empty() ? std::string() : values["VariantList"];
    names.options = values["Options"];
    return names;
}

} // namespace morvanta
