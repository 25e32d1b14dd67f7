#include "app/shell/tray/popup_key_router.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace morvanta {

PopupKeyRouter::PopupKeyRouter(PopupKeyRoutes routes) : routes_(std::move(routes)) {
    qApp->installEventFilter(this);
}

PopupKeyRouter::~PopupKeyRouter() {
    qApp->removeEventFilter(this);
}

bool PopupKeyRouter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        if (auto* widget = qobject_cast<QWidget*>(watched);
            widget && widget->windowType() == Qt::Popup)
            opened(widget);
        return false;
    case QEvent::Hide:
    case QEvent::Destroy:
        if (open_.contains(watched))
            closed(watched);
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return anyPopupOpen() && routeKey(event);
    default:
        return false;
    }
}

void PopupKeyRouter::opened(QWidget* popup) {
    const bool first = open_.isEmpty();
    open_.insert(popup);
    if (first && routes_.menuOpenChanged)
        routes_.menuOpenChanged(true);
}

void PopupKeyRouter::closed(QObject* popup) {
    open_.remove(popup);
    if (open_.isEmpty() && routes_.menuOpenChanged)
        routes_.menuOpenChanged(false);
}

bool PopupKeyRouter::routeKey(QEvent* event) {
    if (!routes_.translate || !routes_.rawKey)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto shortcut = routes_.translate(key->nativeScanCode(), key->nativeModifiers());
    if (!shortcut)
        return false;
    // While a popup is open every key goes to it; a key no shortcut takes is handed on as
    // usual (and may be offered again as it travels up to the popup's window: still not taken).
    return routes_.rawKey(shortcut->carbonKeyCode, shortcut->carbonModifiers,
                          event->type() == QEvent::KeyPress);
}

} // namespace morvanta
