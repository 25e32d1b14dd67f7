// GeneralTab: the settings window's General page: whether Morvanta can reach an X11 session,
// the tiling switch, the login item (an XDG autostart entry) and the update switches, which
// follow the updater or, in builds without one, give way to a note.
#pragma once

#include "core/subscription.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace morvanta {

struct SettingsWindowServices;

class GeneralTab : public QWidget {
public:
    explicit GeneralTab(const SettingsWindowServices& services, QWidget* parent = nullptr);
    ~GeneralTab() override;

    QCheckBox* tilingToggle() const { return tiling_; }
    QCheckBox* loginToggle() const { return login_; }
    // Absent when the build has no updater.
    QCheckBox* automaticUpdatesToggle() const { return autoUpdate_; }
    QCheckBox* betaToggle() const { return betas_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* permissionRow();
    QWidget* updatesSection();
    void showState();

    const SettingsWindowServices& services_;
    Subscription trustObserver_;
    Subscription pausedObserver_;
    QLabel* permissionIcon_ = nullptr;
    QLabel* permissionTitle_ = nullptr;
    QLabel* permissionText_ = nullptr;
    QPushButton* grant_ = nullptr;
    QCheckBox* tiling_ = nullptr;
    QCheckBox* login_ = nullptr;
    QCheckBox* autoUpdate_ = nullptr;
    QCheckBox* betas_ = nullptr;
};

} // namespace morvanta
