// DisplaysTab: the settings window's Displays page. It draws the connected screens in their
// real arrangement with the workspaces each one owns, moves a workspace to another screen when
// its chip is dropped there, says what happened, and offers to go back to the default split.
// Everything it shows comes from the controller's published display summaries; everything it
// changes goes through the controller.
#pragma once

#include "app/controller/display_summary.h"
#include "core/subscription.h"

#include <QWidget>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;

namespace morvanta {

class ScreenArrangement;
class TilingController;

class DisplaysTab : public QWidget {
public:
    explicit DisplaysTab(TilingController& controller, QWidget* parent = nullptr);
    ~DisplaysTab() override;

    // The workspace numbers in `texts` (one per text) go to the screen, in turn. A text counts
    // only when it is a decimal number, with an optional sign, of an existing workspace; others
    // are skipped. Answers whether any workspace moved.
    bool drop(const QStringList& texts, const DisplaySummary& screen);
    void resetDefaultSplit();

    // The last result line; empty when none.
    QString message() const;
    QString explanation() const;
    const std::optional<DisplayID>& targeted() const { return targeted_; }
    ScreenArrangement* arrangement() const { return arrangement_; }
    QPushButton* resetButton() const { return reset_; }

private:
    void showSummaries();
    void scheduleShowSummaries();
    void setMessage(const QString& message);
    void setTargeted(std::optional<DisplayID> screen);
    void setDragging(bool running);

    TilingController& controller_;
    Subscription summariesObserver_;
    QLabel* explanation_;
    ScreenArrangement* arrangement_;
    QWidget* messageRow_;
    QLabel* messageIcon_;
    QLabel* message_;
    QPushButton* reset_;
    std::optional<DisplayID> targeted_;
    bool dragging_ = false;
    bool showPending_ = false;
    bool timerQueued_ = false;
};

} // namespace morvanta
