#include "app/shell/updates/update_service.h"

#include "app/shell/updates/http_fetcher_module.h"
#include "app/shell/updates/update_schedule.h"

#include <QUrl>
#include <span>

namespace morvanta {

namespace {

const char* failureTitle = "Couldn't check for updates";
const char* refusalTitle = "Update refused";

bool isWebAddress(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

std::string megabytes(std::int64_t bytes) {
    return std::to_string((bytes + 1024 * 1024 - 1) / (1024 * 1024)) + " MB";
}

} // namespace

UpdateService::UpdateService(UpdaterConfiguration configuration, Ed25519Verifier verifier,
                             UpdaterDelegate& delegate, UpdatePreferences& preferences,
                             DiagnosticsLog& log, UpdatePresenter& presenter)
    : configuration_(std::move(configuration)), verifier_(verifier), delegate_(delegate),
      preferences_(preferences), log_(log), presenter_(presenter) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { beginCheck(false); });
}

UpdateService::~UpdateService() = default;

void UpdateService::start() {
    started_ = true;
    scheduleNext();
}

void UpdateService::checkForUpdates() {
    beginCheck(true);
}

bool UpdateService::automaticallyChecksForUpdates() const {
    return preferences_.automaticallyChecksForUpdates();
}

void UpdateService::setAutomaticallyChecksForUpdates(bool checks) {
    preferences_.setAutomaticallyChecksForUpdates(checks);
    scheduleNext();
}

void UpdateService::scheduleNext() {
    timer_.stop();
    if (!started_ || checking_ || !preferences_.automaticallyChecksForUpdates())
        return;
    std::chrono::milliseconds delay = UpdateSchedule::delayUntilNextCheck(
        preferences_.lastCheckTime(), UpdateSchedule::Clock::now(), configuration_.checkInterval,
        configuration_.firstCheckDelay);
    timer_.start(delay);
}

void UpdateService::beginCheck(bool userInitiated) {
    if (checking_) {
        userInitiated_ = userInitiated_ || userInitiated;
        return;
    }
    timer_.stop();
    checking_ = true;
    userInitiated_ = userInitiated;
    std::string address = delegate_.feedURLString();
    QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    if (!isWebAddress(url)) {
        finish({UpdateCheckOutcome::Kind::failed,
                "The update feed's address isn't a web address: “" + address + "”."});
        return;
    }
    fetch(url, configuration_.maxFeedBytes, "the update feed",
          [this](const QByteArray& body) { feedArrived(body); });
}

void UpdateService::fetch(const QUrl& url, std::int64_t maxBytes, const std::string& what,
                          std::function<void(const QByteArray&)> onBody) {
    if (!fetcher_) {
        auto loaded = HttpFetcherModule::make();
        if (!loaded.fetcher) {
            finish({UpdateCheckOutcome::Kind::failed,
                    "Morvanta couldn't download " + what + ": " + loaded.error});
            return;
        }
        fetcher_ = std::move(loaded.fetcher);
    }
    fetcher_->get(
        url, QString::fromStdString("Morvanta/" + configuration_.appVersion),
        configuration_.transferTimeout, maxBytes,
        [this, url, maxBytes, what, onBody = std::move(onBody)](const HttpFetchResult& r) {
            if (r.tooLarge) {
                finish({UpdateCheckOutcome::Kind::failed,
                        "The server sent more than " + megabytes(maxBytes) + " for " + what + "."});
                return;
            }
            if (!r.error.isEmpty()) {
                finish({UpdateCheckOutcome::Kind::failed, "Morvanta couldn't download " + what +
                                                              " from " +
                                                              url.toDisplayString().toStdString() +
                                                              ": " + r.error.toStdString() + "."});
                return;
            }
            onBody(r.body);
        });
}

void UpdateService::feedArrived(const QByteArray& body) {
    AppcastParse parsed = Appcast::parse(body);
    if (!parsed.error.empty()) {
        finish({UpdateCheckOutcome::Kind::failed, parsed.error});
        return;
    }
    std::optional<AppcastItem> update =
        Appcast::newestUpdate(parsed.items, delegate_.allowedChannels(), configuration_.appVersion);
    if (!update) {
        finish({UpdateCheckOutcome::Kind::upToDate,
                "Morvanta " + configuration_.appVersion + " is up to date."});
        return;
    }
    std::string name = "Morvanta " + update->displayVersion;
    if (update->edSignature.empty()) {
        finish({UpdateCheckOutcome::Kind::refused,
                "The update to " + name +
                    " carries no signature, so Morvanta can't tell that it is genuine and "
                    "won't offer it."});
        return;
    }
    if (update->length && *update->length > configuration_.maxDownloadBytes) {
        finish({UpdateCheckOutcome::Kind::failed, "The download of " + name + " is larger than " +
                                                      megabytes(configuration_.maxDownloadBytes) +
                                                      "."});
        return;
    }
    AppcastItem item = *update;
    fetch(QUrl(QString::fromStdString(item.downloadURL), QUrl::StrictMode),
          configuration_.maxDownloadBytes, "the download of " + name,
          [this, item](const QByteArray& bytes) { downloadArrived(item, bytes); });
}

void UpdateService::downloadArrived(const AppcastItem& item, const QByteArray& bytes) {
    std::string name = "Morvanta " + item.displayVersion;
    auto data = std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          static_cast<std::size_t>(bytes.size()));
    switch (verifier_.verify(data, item.edSignature)) {
    case Ed25519Verifier::Result::valid:
        break;
    case Ed25519Verifier::Result::malformedSignature:
        finish({UpdateCheckOutcome::Kind::refused,
                "The update to " + name +
                    " carries a damaged signature (not 64 bytes of base64), so Morvanta won't "
                    "offer it."});
        return;
    case Ed25519Verifier::Result::unverifiable:
        finish({UpdateCheckOutcome::Kind::failed,
                "Morvanta couldn't check the signature of the download of " + name +
                    ": OpenSSL's libcrypto.so.3 couldn't be opened."});
        return;
    case Ed25519Verifier::Result::mismatch:
        finish({UpdateCheckOutcome::Kind::refused,
                "The download of " + name +
                    " doesn't match its signature: it may have been damaged or tampered with, "
                    "so Morvanta won't offer it."});
        return;
    }
    UpdateOffer offer{item, configuration_.appVersion, bytes};
    finish({UpdateCheckOutcome::Kind::updateAvailable, name + " is available (this is " +
                                                           configuration_.appVersion +
                                                           "); its download's signature is valid."},
           &offer);
}

void UpdateService::finish(UpdateCheckOutcome outcome, const UpdateOffer* offer) {
    checking_ = false;
    bool shown = userInitiated_;
    userInitiated_ = false;
    preferences_.setLastCheckTime(UpdateSchedule::Clock::now());
    switch (outcome.kind) {
    case UpdateCheckOutcome::Kind::upToDate:
        log_.append("Update check: " + outcome.message);
        if (shown)
            presenter_.presentUpToDate(configuration_.appVersion);
        break;
    case UpdateCheckOutcome::Kind::updateAvailable:
        log_.append("Update check: " + outcome.message);
        if (offer)
            presenter_.presentOffer(*offer);
        break;
    case UpdateCheckOutcome::Kind::failed:
        log_.append("⚠️ Update check failed: " + outcome.message);
        if (shown)
            presenter_.presentFailure(failureTitle, outcome.message);
        break;
    case UpdateCheckOutcome::Kind::refused:
        log_.append("⚠️ Update refused: " + outcome.message);
        presenter_.presentFailure(refusalTitle, outcome.message);
        break;
    }
    lastOutcome_ = outcome;
    scheduleNext();
    if (onCheckFinished)
        onCheckFinished(outcome);
}

} // namespace morvanta
