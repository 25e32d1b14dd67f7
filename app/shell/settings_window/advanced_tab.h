// AdvancedTab: the settings window's Advanced page: exporting and importing the settings file,
// the welcome guide, the diagnostics window, and bringing back every hidden window (which
// pauses tiling).
#pragma once

#include <QWidget>

namespace morvanta {

struct SettingsWindowServices;

class AdvancedTab : public QWidget {
public:
    explicit AdvancedTab(const SettingsWindowServices& services, QWidget* parent = nullptr);
};

} // namespace morvanta
