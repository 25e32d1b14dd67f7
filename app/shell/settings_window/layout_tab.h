// LayoutTab: the settings window's Layout page: the default layout as a row of cards, a button
// that gives every workspace that layout, and a live preview over the main-size and gap
// sliders, which write into the settings as they move so the real windows follow.
#pragma once

#include "core/subscription.h"

#include <QWidget>
#include <vector>

class QPushButton;
class QVBoxLayout;

namespace morvanta {

class LayoutCard;
class LayoutPreview;
class SliderRow;
struct SettingsWindowServices;

class LayoutTab : public QWidget {
public:
    explicit LayoutTab(const SettingsWindowServices& services, QWidget* parent = nullptr);
    ~LayoutTab() override;

    const std::vector<LayoutCard*>& cards() const { return cards_; }
    QPushButton* everyWorkspaceButton() const { return everyWorkspace_; }
    LayoutPreview* preview() const { return preview_; }
    SliderRow* mainRatioRow() const { return mainRatio_; }
    SliderRow* innerGapRow() const { return innerGap_; }
    SliderRow* outerGapRow() const { return outerGap_; }

private:
    void showSettings();

    const SettingsWindowServices& services_;
    Subscription settingsObserver_;
    std::vector<LayoutCard*> cards_;
    QPushButton* everyWorkspace_;
    QVBoxLayout* previewHolder_ = nullptr;
    LayoutPreview* preview_ = nullptr;
    SliderRow* mainRatio_;
    SliderRow* innerGap_;
    SliderRow* outerGap_;
};

} // namespace morvanta
