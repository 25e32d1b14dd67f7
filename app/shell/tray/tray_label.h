// TrayLabel: what the tray item shows for the tiling controller's published state: the state
// image when Morvanta cannot control the session, is paused or has no displays yet, otherwise the
// current workspace's label; and the text screen readers and the tooltip give for it.
#pragma once

#include "app/controller/tiling_controller.h"
#include "app/shell/tray/tray_icon_painter.h"

#include <QIcon>
#include <string>

namespace morvanta {

class TrayLabel {
public:
    // The accessibility texts of the state images; Linux names the X11 session where other
    // desktops name a permission. docs/platform-texts.md lists them.
    static constexpr const char* noPermissionText = "Morvanta, X11 session needed";
    static constexpr const char* pausedText = "Morvanta, tiling paused";
    static constexpr const char* noDisplaysText = "Morvanta, no displays";

    explicit TrayLabel(TilingController& controller) : controller_(controller) {}

    TrayState state() const;
    // "Morvanta, workspace 3", or the state's text.
    std::string accessibilityLabel() const;
    QIcon icon(QColor ink) const;

private:
    TilingController& controller_;
};

} // namespace morvanta
