// PopupKeyRouter: keeps Morvanta's global shortcuts working while one of its own popups is
// open. A popup (the tray menu, a settings menu, a combo box's list) grabs the keyboard, so the
// root's key grabs no longer fire; the router notices every popup of the application opening
// and closing, tells the hot-key centre (menu-open mode), and hands each key typed meanwhile to
// it, translated by what the key types in the current keyboard layout: the same translation
// the grabs and the shortcut recorder use. Keys a shortcut takes do not reach the popup.
#pragma once

#include "shortcuts/shortcut.h"

#include <QObject>
#include <QSet>
#include <functional>
#include <optional>

class QWidget;

namespace morvanta {

struct PopupKeyRoutes {
    // The first popup opened (true) or the last one closed (false): HotKeyCenter::setMenuOpen.
    std::function<void(bool open)> menuOpenChanged;
    // The stored form of a key event (X key code and modifier state), as the recorder reads it.
    std::function<std::optional<Shortcut>(quint32 keyCode, quint32 state)> translate;
    // A translated key; answers whether a shortcut took it (HotKeyCenter::handleRawKeyEvent).
    std::function<bool(int carbonKeyCode, int carbonModifiers, bool keyDown)> rawKey;
};

class PopupKeyRouter : public QObject {
public:
    // Watches every widget of the application until destroyed.
    explicit PopupKeyRouter(PopupKeyRoutes routes);
    ~PopupKeyRouter() override;
    PopupKeyRouter(const PopupKeyRouter&) = delete;
    PopupKeyRouter& operator=(const PopupKeyRouter&) = delete;

    bool anyPopupOpen() const { return !open_.isEmpty(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void opened(QWidget* popup);
    void closed(QObject* popup);
    bool routeKey(QEvent* event);

    PopupKeyRoutes routes_;
    QSet<QObject*> open_;
};

} // namespace morvanta
