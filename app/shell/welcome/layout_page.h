// LayoutPage: the welcome guide's layout choice, one card per layout. Choosing a card makes it
// the default layout and gives every workspace that layout, so the windows rearrange at once.
#pragma once

#include "core/layout_kind.h"

#include <QWidget>
#include <vector>

namespace morvanta {

class AppSettings;
class LayoutCard;
class TilingController;

class LayoutPage : public QWidget {
public:
    LayoutPage(TilingController& controller, AppSettings& settings, QWidget* parent = nullptr);

    void choose(LayoutKind kind);
    const std::vector<LayoutCard*>& cards() const { return cards_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void markSelected();

    TilingController& controller_;
    AppSettings& settings_;
    std::vector<LayoutCard*> cards_;
};

} // namespace morvanta
