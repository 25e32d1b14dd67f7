// HttpFetcher: one web download at a time for the update service, over Qt's event loop. The
// implementation (QtHttpFetcher, over Qt Network) lives in a module of its own that the
// service loads on its first download (HttpFetcherModule): Qt Network, with the Kerberos and
// proxy libraries it brings, then stays out of a Morvanta that never checks for updates.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <chrono>
#include <cstdint>
#include <functional>

namespace morvanta {

struct HttpFetchResult {
    QByteArray body;
    // Empty on success; what went wrong otherwise, in Qt Network's words.
    QString error;
    // The server sent more than the limit; the transfer was ended there.
    bool tooLarge = false;
};

class HttpFetcher {
public:
    using Done = std::function<void(const HttpFetchResult&)>;
    virtual ~HttpFetcher() = default;

    // Starts a GET; `done` runs once, from the event loop, unless abort() comes first. A fetch
    // still running is aborted.
    virtual void get(const QUrl& url, const QString& userAgent,
                     std::chrono::milliseconds transferTimeout, std::int64_t maxBytes,
                     Done done) = 0;
    // Ends the running fetch without calling its `done`.
    virtual void abort() = 0;
};

} // namespace morvanta

// The module's one entry point: a new fetcher the caller owns.
extern "C" morvanta::HttpFetcher* morvanta_make_http_fetcher();
