// FinishPage: the welcome guide's last page: starting at login, the focus border, a warning when
// a tiling window manager runs, and where Morvanta lives on the desktop.
#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;

namespace morvanta {

class AppSettings;

class FinishPage : public QWidget {
public:
    // Answers whether a window manager runs that would fight Morvanta; asked each time the page
    // is shown. Empty: never.
    using WindowManagerCheck = std::function<bool()>;

    FinishPage(AppSettings& settings, WindowManagerCheck anotherWindowManager,
               QWidget* parent = nullptr);

    QCheckBox* launchAtLoginToggle() const { return launchAtLogin_; }
    QCheckBox* borderToggle() const { return border_; }
    bool warningShown() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showSettings();

    AppSettings& settings_;
    WindowManagerCheck anotherWindowManager_;
    QCheckBox* launchAtLogin_;
    QCheckBox* border_;
    QWidget* warning_;
};

} // namespace morvanta
