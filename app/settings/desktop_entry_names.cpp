#include "app/settings/desktop_entry_names.h"

#include "app/diagnostics/xdg_folders.h"

#include <algorithm>
#include <fstream>

namespace morvanta {

namespace {

namespace fs = std::filesystem;

struct EntryKeys {
    std::string name;
    std::string wmClass;
};

// Reads Name and StartupWMClass of the [Desktop Entry] group; localised keys are skipped.
EntryKeys readEntry(const fs::path& file) {
    EntryKeys keys;
    std::ifstream stream(file);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.starts_with('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        while (!key.empty() && key.back() == ' ')
            key.pop_back();
        std::string value = line.substr(equals + 1);
        value.erase(0, value.find_first_not_of(' '));
        if (key == "Name")
            keys.name = value;
        else if (key == "StartupWMClass")
            keys.wmClass = value;
    }
    return keys;
}

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

std::vector<fs::path> standardFolders() {
    std::vector<fs::path> folders;
    if (auto home = XdgFolders::dataHome())
        folders.push_back(*home / "applications");
    for (const auto& dir : XdgFolders::dataDirs())
        folders.push_back(dir / "applications");
    return folders;
}

} // namespace

DesktopEntryNames::DesktopEntryNames() : DesktopEntryNames(standardFolders()) {}

DesktopEntryNames::DesktopEntryNames(std::vector<fs::path> folders)
    : folders_(std::move(folders)) {}

std::string DesktopEntryNames::displayName(const std::string& identifier) const {
    if (identifier.empty())
        return identifier;
    if (auto name = find(identifier, true))
        return *name;
    return find(identifier, false).value_or(identifier);
}

std::optional<std::string> DesktopEntryNames::find(const std::string& identifier,
                                                   bool byWmClass) const {
    for (const auto& folder : folders_) {
        std::error_code code;
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder, code))
            if (entry.path().extension() == ".desktop")
                files.push_back(entry.path());
        std::ranges::sort(files); // the same answer whatever order the folder lists in
        for (const auto& file : files) {
            bool matches = !byWmClass && equalIgnoringAsciiCase(file.stem().string(), identifier);
            EntryKeys keys;
            if (byWmClass || matches)
                keys = readEntry(file);
            if (byWmClass)
                matches = keys.wmClass == identifier;
            if (matches && !keys.name.empty())
                return keys.name;
        }
    }
    return std::nullopt;
}

} // namespace morvanta
