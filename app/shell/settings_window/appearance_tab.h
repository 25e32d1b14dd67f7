// AppearanceTab: the settings window's Appearance page: the focus border's switches, its width,
// its colour (a row of swatches and a custom colour chooser, stored as "#RRGGBB"), and a
// preview drawn with the chosen colour and width.
#pragma once

#include "core/subscription.h"

#include <QWidget>
#include <array>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QPushButton;

namespace morvanta {

class LayoutPreview;
class SliderRow;
struct SettingsWindowServices;

class AppearanceTab : public QWidget {
public:
    // The default border colour first.
    static constexpr std::array<const char*, 8> swatches = {
        "#2A8FD8", "#E5484D", "#F76B15", "#FFC53D", "#46A758", "#12A594", "#8E4EC6", "#E93D82"};

    explicit AppearanceTab(const SettingsWindowServices& services, QWidget* parent = nullptr);
    ~AppearanceTab() override;

    QCheckBox* borderToggle() const { return border_; }
    QCheckBox* hideWhileDraggingToggle() const { return hideWhileDragging_; }
    SliderRow* widthRow() const { return width_; }
    const std::vector<QAbstractButton*>& swatchButtons() const { return swatchButtons_; }
    LayoutPreview* preview() const { return preview_; }

private:
    void showSettings();
    void chooseCustomColour();

    const SettingsWindowServices& services_;
    Subscription settingsObserver_;
    QCheckBox* border_;
    QCheckBox* hideWhileDragging_;
    SliderRow* width_;
    std::vector<QAbstractButton*> swatchButtons_;
    QPushButton* custom_;
    LayoutPreview* preview_;
};

} // namespace morvanta
