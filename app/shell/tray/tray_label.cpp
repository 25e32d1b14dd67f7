#include "app/shell/tray/tray_label.h"

#include "core/workspace_numbers.h"

namespace morvanta {

TrayState TrayLabel::state() const {
    if (!controller_.isTrusted().get())
        return TrayState::noPermission;
    if (controller_.isPaused().get())
        return TrayState::paused;
    if (controller_.summaries().get().empty())
        return TrayState::noDisplays;
    return TrayState::workspace;
}

std::string TrayLabel::accessibilityLabel() const {
    switch (state()) {
    case TrayState::noPermission:
        return noPermissionText;
    case TrayState::paused:
        return pausedText;
    case TrayState::noDisplays:
        return noDisplaysText;
    case TrayState::workspace:
        break;
    }
    return "Morvanta, workspace " + workspaceLabel(controller_.currentNumber().get());
}

QIcon TrayLabel::icon(QColor ink) const {
    const TrayState current = state();
    if (current == TrayState::workspace)
        return TrayIconPainter::labelIcon(controller_.currentNumber().get(), ink);
    return TrayIconPainter::stateIcon(current, ink);
}

} // namespace morvanta
