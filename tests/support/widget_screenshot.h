// Saves a Qt widget as a PNG in the build's screenshot folder (the test target defines
// MORVANTA_SCREENSHOT_DIR), for people to look at. For tests that link Qt Widgets.
#pragma once

#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <filesystem>
#include <string>

namespace morvanta::testing {

// Lets pending paints happen first; answers whether a non-empty file was written.
inline bool saveScreenshot(QWidget& widget, const std::string& name) {
    const std::filesystem::path folder = MORVANTA_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    QApplication::processEvents();
    const auto path = folder / name;
    return widget.grab().save(QString::fromStdString(path.string()), "PNG") &&
           std::filesystem::file_size(path) > 0;
}

} // namespace morvanta::testing
