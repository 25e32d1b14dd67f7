// TrayItem: Morvanta's one permanent piece of interface, an icon in the desktop's system tray
// (StatusNotifierItem where the desktop offers it, XEmbed otherwise). Its image is the current
// workspace's label or a state image, its tooltip the label's accessibility text, and its menu
// the TrayMenu. Image and tooltip follow the controller's published values at once and are
// redrawn in the ink that suits the panel when the colours change.
#pragma once

#include "app/shell/tray/tray_label.h"
#include "app/shell/tray/tray_menu.h"
#include "core/subscription.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <vector>

namespace morvanta {

class TrayItem : public QObject {
public:
    TrayItem(TilingController& controller, AppSettings& settings, Updater& updater,
             TrayActions actions);
    ~TrayItem() override;

    void show() { icon_.show(); }
    QSystemTrayIcon& systemTrayIcon() { return icon_; }
    TrayMenu& menu() { return menu_; }
    const TrayLabel& label() const { return label_; }

    // Sets the image and tooltip from the current state.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TrayLabel label_;
    TrayMenu menu_;
    QSystemTrayIcon icon_;
    std::vector<Subscription> subscriptions_;
};

} // namespace morvanta
