#include "app/shell/updates/qt_http_fetcher.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <memory>

namespace morvanta {

QtHttpFetcher::~QtHttpFetcher() {
    abort();
}

void QtHttpFetcher::get(const QUrl& url, const QString& userAgent,
                        std::chrono::milliseconds transferTimeout, std::int64_t maxBytes,
                        Done done) {
    abort();
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(transferTimeout.count()));
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
    QNetworkReply* reply = network_.get(request);
    reply_ = reply;
    auto result = std::make_shared<HttpFetchResult>();
    QObject::connect(reply, &QNetworkReply::readyRead, &context_, [reply, maxBytes, result] {
        result->body += reply->readAll();
        if (result->body.size() > maxBytes && !result->tooLarge) {
            result->tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &context_,
                     [this, reply, result, done = std::move(done)] {
                         reply->deleteLater();
                         reply_ = nullptr;
                         if (!result->tooLarge && reply->error() != QNetworkReply::NoError)
                             result->error = reply->errorString();
                         else if (!result->tooLarge)
                             result->body += reply->readAll();
                         done(*result);
                     });
}

void QtHttpFetcher::abort() {
    if (!reply_)
        return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    QObject::disconnect(reply, nullptr, &context_, nullptr);
    reply->abort();
    reply->deleteLater();
}

} // namespace morvanta

extern "C" Q_DECL_EXPORT morvanta::HttpFetcher* morvanta_make_http_fetcher() {
    return new morvanta::QtHttpFetcher();
}
