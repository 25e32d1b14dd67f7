// AppDirectory: the name and icon a desktop shows for an application, found from one of its
// windows' class (WM_CLASS). The installed desktop entries ($XDG_DATA_HOME and $XDG_DATA_DIRS,
// "applications/*.desktop") are read once; an entry belongs to a class when its
// StartupWMClass or its file name equals the class, ignoring case. Its localized Name and its
// Icon (a name in the icon theme, a file in the pixmaps folders, or an absolute path) are
// used. Without an entry the icon theme is asked for the class itself; an application the
// theme does not know gets a generic icon: the theme's executable icon, or a tile with the
// name's initial when the theme has none. Main thread only (QIcon).
#pragma once

#include <QIcon>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

class AppDirectory {
public:
    struct Entry {
        std::string name;
        QIcon icon;
    };

    // Reads the entries from the standard data folders.
    AppDirectory();
    // Reads the entries from the given data folders (each holding "applications/" and
    // possibly "pixmaps/"), the first folder's entries winning.
    explicit AppDirectory(std::vector<std::filesystem::path> dataFolders);

    // The application's name and icon; `fallbackName` names it when no entry does.
    Entry entryFor(const std::string& windowClass, const std::string& fallbackName);

    // The data folders of the environment: $XDG_DATA_HOME (or ~/.local/share), then
    // $XDG_DATA_DIRS (or /usr/local/share:/usr/share).
    static std::vector<std::filesystem::path> standardDataFolders();
    // A tile with the name's initial, for applications without any icon.
    static QIcon initialIcon(const std::string& name);

private:
    struct DesktopEntry {
        std::string name;
        std::string icon;
    };

    void readEntries();
    static std::optional<DesktopEntry> readDesktopFile(const std::filesystem::path& file,
                                                       std::string* wmClass);
    QIcon iconNamed(const std::string& icon) const;
    QIcon genericIcon(const std::string& name) const;

    std::vector<std::filesystem::path> folders_;
    bool read_ = false;
    // By lower-cased StartupWMClass, and by lower-cased file stem.
    std::map<std::string, DesktopEntry> byClass_;
    std::map<std::string, DesktopEntry> byStem_;
    std::map<std::string, Entry> cache_;
};

} // namespace morvanta
