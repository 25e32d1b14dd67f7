#include "app/shell/application/app_windows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace morvanta {

QWidget& AppWindows::open(const std::string& identifier, const QString& title, const Make& make,
                          QSize size, Reopen reopen) {
    auto found = windows_.find(identifier);
    if (found == windows_.end()) {
        Entry entry{makeWindow(title, size), nullptr};
        fill(entry, make);
        found = windows_.emplace(identifier, std::move(entry)).first;
    } else if (reopen == Reopen::freshContent && !found->second.window->isVisible()) {
        fill(found->second, make);
    }
    bringToFront(*found->second.window);
    return *found->second.window;
}

std::unique_ptr<QWidget> AppWindows::makeWindow(const QString& title, QSize size) {
    auto window = std::make_unique<QWidget>();
    window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::WindowMinimizeButtonHint);
    window->setWindowTitle(title);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    window->resize(size);
    if (const auto* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    return window;
}

void AppWindows::fill(Entry& entry, const Make& make) {
    // The old content ends, with its subscriptions, before the new one is made.
    delete entry.content.data();
    auto content = make();
    content->setWindowFlags(Qt::Widget);
    entry.window->layout()->addWidget(content.get());
    entry.content = content.release(); // owned by the window from here
}

void AppWindows::close(const std::string& identifier) {
    if (auto* existing = window(identifier))
        existing->close();
}

void AppWindows::closeAll() {
    // Each window is taken out of the map before it ends: a window's content may ask for its
    // siblings while it goes.
    while (!windows_.empty()) {
        auto node = windows_.extract(windows_.begin());
        node.mapped().window->hide();
        node.mapped().window.reset();
    }
}

QWidget* AppWindows::window(const std::string& identifier) const {
    const auto it = windows_.find(identifier);
    return it == windows_.end() ? nullptr : it->second.window.get();
}

QWidget* AppWindows::content(const std::string& identifier) const {
    const auto it = windows_.find(identifier);
    return it == windows_.end() ? nullptr : it->second.content.data();
}

void AppWindows::bringToFront(QWidget& window) {
    window.showNormal();
    window.raise();
    window.activateWindow();
}

} // namespace morvanta
