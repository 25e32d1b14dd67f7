// AppWindows: Morvanta's few auxiliary windows (settings, welcome guide, diagnostics), each
// made once under its identifier and kept: closing one only hides it, and opening it again brings
// the same window to the front. A window opened with `Content::freshOnReopen` gets new content
// when it is opened again after being closed, so it starts from its first page with no messages
// left from last time; the others keep their content. closeAll() ends every window at once: the
// quit path calls it before the services the windows show are stopped.
#pragma once

#include <QPointer>
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
    using Make = std::function<std::unique_ptr<QWidget>()>;
    enum class Reopen { keepContent, freshContent };

    AppWindows() = default;
    ~AppWindows() { closeAll(); }
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    // Brings the window under `identifier` to the front, or makes it (content from `make`) with
    // the title and content size, centred on the screen, and shows it in front. A hidden window
    // opened with Reopen::freshContent first gets new content from `make`.
    QWidget& open(const std::string& identifier, const QString& title, const Make& make, QSize size,
                  Reopen reopen = Reopen::keepContent);
    // Hides the window under `identifier`, if any; it stays for the next open.
    void close(const std::string& identifier);
    // Destroys every window and its content now.
    void closeAll();
    // The window under `identifier`, or nullptr.
    QWidget* window(const std::string& identifier) const;
    // The content shown in the window under `identifier`, or nullptr.
    QWidget* content(const std::string& identifier) const;

private:
    struct Entry {
        std::unique_ptr<QWidget> window;
        QPointer<QWidget> content;
    };

    static std::unique_ptr<QWidget> makeWindow(const QString& title, QSize size);
    static void fill(Entry& entry, const Make& make);
    static void bringToFront(QWidget& window);

    std::map<std::string, Entry> windows_;
};

} // namespace morvanta
