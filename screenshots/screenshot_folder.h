// Where the pictures for people go: the folder $MORVANTA_SCREENSHOT_DIR names, else the build's
// screenshot folder (the programs are built with MORVANTA_SCREENSHOT_DIR). Saves Qt widgets
// there as PNG files.
#pragma once

#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace morvanta::testing {

// The path of the picture `name`, its folder made.
inline std::filesystem::path screenshotPath(const std::string& name) {
    const char* chosen = std::getenv("MORVANTA_SCREENSHOT_DIR");
    const std::filesystem::path folder = chosen && *chosen ? chosen : MORVANTA_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    return folder / name;
}

// Lets pending paints happen first; answers whether a non-empty file was written.
inline bool saveScreenshot(QWidget& widget, const std::string& name) {
    QApplication::processEvents();
    const auto path = screenshotPath(name);
    return widget.grab().save(QString::fromStdString(path.string()), "PNG") &&
           std::filesystem::file_size(path) > 0;
}

} // namespace morvanta::testing
