#include "app/shell/app_windows.h"

#include <QGuiApplication>
#include <QScreen>

namespace morvanta {

QWidget& AppWindows::open(const std::string& identifier, const QString& title,
                          const Content& content, QSize size) {
    if (auto* existing = window(identifier)) {
        bringToFront(*existing);
        return *existing;
    }
    auto made = content();
    made->setParent(nullptr);
    made->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowMinimizeButtonHint);
    made->setWindowTitle(title);
    made->setAttribute(Qt::WA_DeleteOnClose, false);
    made->resize(size);
    if (const auto* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        made->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    QWidget& shown = *made;
    windows_[identifier] = std::move(made);
    bringToFront(shown);
    return shown;
}

void AppWindows::close(const std::string& identifier) {
    if (auto* existing = window(identifier))
        existing->close();
}

QWidget* AppWindows::window(const std::string& identifier) const {
    const auto it = windows_.find(identifier);
    return it == windows_.end() ? nullptr : it->second.get();
}

void AppWindows::bringToFront(QWidget& window) {
    window.showNormal();
    window.raise();
    window.activateWindow();
}

} // namespace morvanta
