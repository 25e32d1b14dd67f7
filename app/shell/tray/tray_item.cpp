#include "app/shell/tray/tray_item.h"

#include <QApplication>
#include <QEvent>

namespace morvanta {

TrayItem::TrayItem(TilingController& controller, AppSettings& settings, Updater& updater,
                   TrayActions actions)
    : label_(controller), menu_(controller, settings, updater, std::move(actions)) {
    icon_.setContextMenu(&menu_.menu());
    // A left click opens the same menu, as the menu bar's item does elsewhere.
    QObject::connect(&icon_, &QSystemTrayIcon::activated, this,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger)
                             menu_.menu().popup(QCursor::pos());
                     });
    auto follow = [this](auto& published) {
        subscriptions_.push_back(published.addObserver([this](const auto&) { refresh(); }));
    };
    follow(controller.isTrusted());
    follow(controller.isPaused());
    follow(controller.summaries());
    follow(controller.currentNumber());
    qApp->installEventFilter(this);
    refresh();
}

TrayItem::~TrayItem() {
    subscriptions_.clear();
    qApp->removeEventFilter(this);
}

void TrayItem::refresh() {
    icon_.setIcon(label_.icon(TrayIconPainter::inkFor(QApplication::palette())));
    icon_.setToolTip(QString::fromStdString(label_.accessibilityLabel()));
}

bool TrayItem::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        refresh();
    return false;
}

} // namespace morvanta
