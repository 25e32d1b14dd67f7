// AppWindows: Morvanta's few auxiliary windows (settings, welcome guide, diagnostics), each
// made once under its identifier and reused: opening one that exists brings it to the front
// without rebuilding its content, and closing one only hides it.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace morvanta {

class AppWindows {
public:
    using Content = std::function<std::unique_ptr<QWidget>()>;

    AppWindows() = default;
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    // Brings the window under `identifier` to the front, or makes it from `content` (called only
    // then) with the title and content size, centred on the screen, and shows it in front.
    QWidget& open(const std::string& identifier, const QString& title, const Content& content,
                  QSize size);
    // Hides the window under `identifier`, if any; it stays for the next open.
    void close(const std::string& identifier);
    // The window under `identifier`, or nullptr.
    QWidget* window(const std::string& identifier) const;

private:
    static void bringToFront(QWidget& window);

    std::map<std::string, std::unique_ptr<QWidget>> windows_;
};

} // namespace morvanta
