// QtHttpFetcher: HttpFetcher over Qt Network's QNetworkAccessManager, built into the module
// the update service loads on its first download.
#pragma once

#include "app/shell/updates/http_fetcher.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>

class QNetworkReply;

namespace morvanta {

class QtHttpFetcher : public HttpFetcher {
public:
    QtHttpFetcher() = default;
    ~QtHttpFetcher() override;

    void get(const QUrl& url, const QString& userAgent, std::chrono::milliseconds transferTimeout,
             std::int64_t maxBytes, Done done) override;
    void abort() override;

private:
    // Owns the connections to the running reply: they end with the fetcher.
    QObject context_;
    QNetworkAccessManager network_;
    QPointer<QNetworkReply> reply_;
};

} // namespace morvanta
