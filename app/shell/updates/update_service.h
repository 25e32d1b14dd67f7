// UpdateService: checks the update feed over HTTP(S) and offers a newer version. It asks its
// delegate for the feed's address and the accepted channels on every check, checks on a
// schedule while automatic checks are on, and on finding a newer version downloads it and
// verifies its Ed25519 signature before offering it; a download without a valid signature
// is refused and the refusal is always shown. Failures of automatic checks are logged;
// failures of checks the user asked for are also shown. Main thread, Qt event loop.
#pragma once

#include "app/diagnostics/diagnostics_log.h"
#include "app/shell/updates/appcast.h"
#include "app/shell/updates/ed25519_verifier.h"
#include "app/shell/updates/http_fetcher.h"
#include "app/shell/updates/update_preferences.h"
#include "app/shell/updates/update_presenter.h"
#include "app/shell/updates/updater_configuration.h"
#include "app/shell/updates/updater_delegate.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace morvanta {

struct UpdateCheckOutcome {
    enum class Kind {
        upToDate,
        updateAvailable,
        // The feed or the download could not be read.
        failed,
        // A newer version's download is unsigned or its signature does not match.
        refused,
    };
    Kind kind = Kind::upToDate;
    // The text shown or logged.
    std::string message;
};

class UpdateService {
public:
    UpdateService(UpdaterConfiguration configuration, Ed25519Verifier verifier,
                  UpdaterDelegate& delegate, UpdatePreferences& preferences, DiagnosticsLog& log,
                  UpdatePresenter& presenter);
    UpdateService(const UpdateService&) = delete;
    UpdateService& operator=(const UpdateService&) = delete;
    ~UpdateService();

    // Begins the schedule of automatic checks (when they are on).
    void start();
    // A check the user asked for; while a check runs, it makes that check show its result.
    void checkForUpdates();

    bool automaticallyChecksForUpdates() const;
    // Stores the switch and starts or stops the schedule.
    void setAutomaticallyChecksForUpdates(bool checks);

    bool isChecking() const { return checking_; }
    // Whether an automatic check is waiting on its timer.
    bool isScheduled() const { return timer_.isActive(); }
    const std::optional<UpdateCheckOutcome>& lastOutcome() const { return lastOutcome_; }
    // Runs after every finished check.
    std::function<void(const UpdateCheckOutcome&)> onCheckFinished;

private:
    void beginCheck(bool userInitiated);
    void fetch(const QUrl& url, std::int64_t maxBytes, const std::string& what,
               std::function<void(const QByteArray&)> onBody);
    void feedArrived(const QByteArray& body);
    void downloadArrived(const AppcastItem& item, const QByteArray& bytes);
    void finish(UpdateCheckOutcome outcome, const UpdateOffer* offer = nullptr);
    void scheduleNext();

    UpdaterConfiguration configuration_;
    Ed25519Verifier verifier_;
    UpdaterDelegate& delegate_;
    UpdatePreferences& preferences_;
    DiagnosticsLog& log_;
    UpdatePresenter& presenter_;

    // Owns the connections of this service: they end with it.
    QObject context_;
    QTimer timer_;
    // Made on the first download (see HttpFetcherModule).
    std::unique_ptr<HttpFetcher> fetcher_;
    bool started_ = false;
    bool checking_ = false;
    bool userInitiated_ = false;
    std::optional<UpdateCheckOutcome> lastOutcome_;
};

} // namespace morvanta
