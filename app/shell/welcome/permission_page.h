// PermissionPage: the welcome guide's second page. It says what an X11 session lets Morvanta do
// (and what Morvanta never does), and follows the controller's published trust and window
// sight: while Morvanta has no session it offers help and waits (the controller polls by
// itself); once trusted it confirms, or, when the controller still sees no window after a
// while, offers to start Morvanta again (until then it shows no status).
#pragma once

#include "core/subscription.h"

#include <QWidget>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QPushButton;

namespace morvanta {

class TilingController;

class PermissionPage : public QWidget {
public:
    enum class State { needed, waiting, granted, grantedNoWindows };

    struct Actions {
        // Shows the platform's help on what Morvanta needs ("Open Session Help").
        std::function<void()> openSessionHelp;
        // Starts Morvanta again; false when it could not.
        std::function<bool()> relaunch;
        // What to do about the session, shown while Morvanta waits; empty: the usual hint.
        std::string sessionHint;
    };

    // The state for the controller's values. Trusted without windows counts as still waiting
    // until `waitedLongEnough`, so the relaunch is never offered for the moment between trust
    // and the first refresh.
    static State stateFor(bool trusted, bool seesWindows, bool waitedLongEnough);

    // How long the page waits for windows after it began waiting before offering the relaunch.
    static constexpr std::chrono::milliseconds defaultRelaunchDelay{3000};

    PermissionPage(TilingController& controller, Actions actions,
                   std::chrono::milliseconds relaunchDelay = defaultRelaunchDelay,
                   QWidget* parent = nullptr);
    ~PermissionPage() override;

    State state() const { return state_; }
    // When the page began waiting; none while it has not had to wait.
    std::optional<std::chrono::steady_clock::time_point> waitingSince() const {
        return waitingSince_;
    }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeNeededRow();
    QWidget* makeWaitingRows();
    QWidget* makeStatusRow(int marker, const char* text, QWidget* trailing);
    void update();
    void relaunch();

    TilingController& controller_;
    Actions actions_;
    std::chrono::milliseconds relaunchDelay_;
    std::optional<std::chrono::steady_clock::time_point> waitingSince_;
    bool waitOver_ = false;
    State state_ = State::needed;
    Subscription trustObserver_;
    Subscription windowsObserver_;

    QWidget* needed_ = nullptr;
    QWidget* waiting_ = nullptr;
    QWidget* granted_ = nullptr;
    QWidget* noWindows_ = nullptr;
    QLabel* relaunchFailed_ = nullptr;
};

} // namespace morvanta
