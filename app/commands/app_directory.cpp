// AppDirectory: desktop entries by window class, and icons from the icon theme.
#include "app/commands/app_directory.h"

#include "app/diagnostics/xdg_folders.h"

#include <QColor>
#include <QFont>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <system_error>

namespace morvanta {

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The locale's keys for a localized value, most specific first: "Name[de_DE]", "Name[de]".
std::vector<std::string> localizedKeys(const std::string& key) {
    const std::string locale = QLocale::system().name().toStdString();
    std::vector<std::string> keys;
    if (!locale.empty() && locale != "C") {
        keys.push_back(key + "[" + locale + "]");
        if (const auto underscore = locale.find('_'); underscore != std::string::npos)
            keys.push_back(key + "[" + locale.substr(0, underscore) + "]");
    }
    keys.push_back(key);
    return keys;
}

} // namespace

AppDirectory::AppDirectory() : AppDirectory(standardDataFolders()) {}

AppDirectory::AppDirectory(std::vector<std::filesystem::path> dataFolders)
    : folders_(std::move(dataFolders)) {}

std::vector<std::filesystem::path> AppDirectory::standardDataFolders() {
    std::vector<std::filesystem::path> folders;
    if (auto home = XdgFolders::dataHome())
        folders.push_back(*home);
    for (const auto& dir : XdgFolders::dataDirs())
        folders.push_back(dir);
    return folders;
}

void AppDirectory::readEntries() {
    read_ = true;
    for (const auto& folder : folders_) {
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (std::filesystem::recursive_directory_iterator it(folder / "applications", error), end;
             !error && it != end; it.increment(error))
            if (it->path().extension() == ".desktop")
                files.push_back(it->path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::string wmClass;
            auto entry = readDesktopFile(file, &wmClass);
            if (!entry)
                continue;
            // Earlier folders win: emplace keeps the first entry for a key.
            if (!wmClass.empty())
                byClass_.emplace(lowered(wmClass), *entry);
            byStem_.emplace(lowered(file.stem().string()), *entry);
        }
    }
}

std::optional<AppDirectory::DesktopEntry>
AppDirectory::readDesktopFile(const std::filesystem::path& file, std::string* wmClass) {
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    std::map<std::string, std::string> values;
    bool inMainGroup = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inMainGroup = line.rfind("[Desktop Entry]", 0) == 0;
            continue;
        }
        const auto equals = line.find('=');
        if (!inMainGroup || equals == std::string::npos)
            continue;
        auto key = line.substr(0, equals);
        while (!key.empty() && key.back() == ' ')
            key.pop_back();
        auto value = line.substr(equals + 1);
        value.erase(0, value.find_first_not_of(' '));
        values.emplace(key, value);
    }
    if (values["Type"] != "Application" || values["Hidden"] == "true")
        return std::nullopt;
    DesktopEntry entry;
    for (const auto& key : localizedKeys("Name"))
        if (auto it = values.find(key); it != values.end() && !it->second.empty()) {
            entry.name = it->second;
            break;
        }
    entry.icon = values["Icon"];
    *wmClass = values["StartupWMClass"];
    return entry;
}

QIcon AppDirectory::iconNamed(const std::string& icon) const {
    if (icon.empty())
        return {};
    const auto path = std::filesystem::path(icon);
    std::error_code error;
    if (path.is_absolute())
        return std::filesystem::is_regular_file(path, error) ? QIcon(QString::fromStdString(icon))
                                                             : QIcon();
    if (auto themed = QIcon::fromTheme(QString::fromStdString(icon)); !themed.isNull())
        return themed;
    // Older programs install their icon only in the pixmaps folders.
    for (const auto& folder : folders_)
        for (const char* extension : {".png", ".svg", ".xpm"}) {
            const auto file = folder / "pixmaps" / (icon + extension);
            if (std::filesystem::is_regular_file(file, error)) {
                QIcon loaded(QString::fromStdString(file.string()));
                if (!loaded.pixmap(32, 32).isNull())
                    return loaded;
            }
        }
    return {};
}

QIcon AppDirectory::genericIcon(const std::string& name) const {
    if (auto themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
        !themed.isNull())
        return themed;
    return initialIcon(name);
}

QIcon AppDirectory::initialIcon(const std::string& name) {
    constexpr int size = 64;
    QPixmap tile(size, size);
    tile.fill(Qt::transparent);
    // A colour of its own per name, so different applications tell apart at a glance.
    const auto hue = static_cast<int>(std::hash<std::string>{}(name) % 360);
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv(hue, 120, 200));
    painter.drawRoundedRect(QRectF(2, 2, size - 4, size - 4), 14, 14);
    const QString text = QString::fromStdString(name).trimmed();
    if (!text.isEmpty()) {
        QFont font = painter.font();
        font.setPixelSize(size * 9 / 16);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, text.left(1).toUpper());
    }
    painter.end();
    return QIcon(tile);
}

AppDirectory::Entry AppDirectory::entryFor(const std::string& windowClass,
                                           const std::string& fallbackName) {
    const std::string key = lowered(windowClass) + '\n' + fallbackName;
    if (auto it = cache_.find(key); it != cache_.end())
        return it->second;
    if (!read_)
        readEntries();
    Entry entry{fallbackName, {}};
    const DesktopEntry* desktop = nullptr;
    if (!windowClass.empty()) {
        if (auto it = byClass_.find(lowered(windowClass)); it != byClass_.end())
            desktop = &it->second;
        else if (auto stem = byStem_.find(lowered(windowClass)); stem != byStem_.end())
            desktop = &stem->second;
    }
    if (desktop) {
        if (!desktop->name.empty())
            entry.name = desktop->name;
        entry.icon = iconNamed(desktop->icon);
    }
    if (entry.icon.isNull() && !windowClass.empty())
        entry.icon = iconNamed(lowered(windowClass));
    if (entry.icon.isNull())
        entry.icon = genericIcon(entry.name);
    cache_.emplace(key, entry);
    return entry;
}

} // namespace morvanta
