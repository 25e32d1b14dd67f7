// DiagnosticsView: the content of the diagnostics window. A status row with the tiling state
// (and, without an X11 session, a button that asks the controller to help), "Copy Log" and
// "Clear", a divider, then the log's lines live in a selectable monospaced list that keeps the
// newest line in view. The view follows the log through its observers; the application feeds
// it the controller's state with setStatus() and the request with setRequestPermission().
#pragma once

#include "app/diagnostics/diagnostics_status.h"
#include "core/subscription.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace morvanta {

class DiagnosticsLog;

class DiagnosticsView : public QWidget {
public:
    static constexpr const char* copyLogTitle = "Copy Log";
    static constexpr const char* clearTitle = "Clear";

    // The log must outlive the view.
    explicit DiagnosticsView(DiagnosticsLog& log, QWidget* parent = nullptr);
    ~DiagnosticsView() override;
    DiagnosticsView(const DiagnosticsView&) = delete;
    DiagnosticsView& operator=(const DiagnosticsView&) = delete;

    const DiagnosticsStatus& status() const { return status_; }
    void setStatus(const DiagnosticsStatus& status);
    // Run by the button shown without an X11 session (the controller's requestPermission).
    void setRequestPermission(std::function<void()> request);
    // Keeps the subscriptions that feed setStatus, so they end with the view.
    void keepSubscriptions(std::vector<Subscription> subscriptions) {
        statusSubscriptions_ = std::move(subscriptions);
    }

    // Replaces the clipboard's contents with the log's lines joined by line feeds.
    void copyLog();
    // Empties the log's lines (the log file keeps them).
    void clearLog();

    // The parts, for the window around the view and for tests.
    QLabel* statusLabel() const { return statusText_; }
    QPushButton* requestPermissionButton() const { return requestButton_; }
    QPushButton* copyLogButton() const { return copyButton_; }
    QPushButton* clearButton() const { return clearButton_; }
    QPlainTextEdit* lineList() const { return list_; }

private:
    QWidget* buildStatusRow();
    void showStatus();
    // Brings the list in step with the log, touching only the lines that changed.
    void syncLines();
    void scrollToNewest();

    DiagnosticsLog& log_;
    Subscription logSubscription_;
    std::vector<Subscription> statusSubscriptions_;
    DiagnosticsStatus status_;
    std::function<void()> request_;
    std::vector<std::string> shown_;
    bool followNewest_ = true;

    QLabel* statusSymbol_ = nullptr;
    QLabel* statusText_ = nullptr;
    QPushButton* requestButton_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPlainTextEdit* list_ = nullptr;
};

} // namespace morvanta
