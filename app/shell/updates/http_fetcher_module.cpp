#include "app/shell/updates/http_fetcher_module.h"

#include <QCoreApplication>
#include <QLibrary>
#include <cstdlib>

namespace morvanta {

std::string HttpFetcherModule::path() {
    if (const char* chosen = std::getenv("MORVANTA_HTTP_MODULE"); chosen && *chosen)
        return chosen;
    return (QCoreApplication::applicationDirPath() +
            QStringLiteral("/../lib/morvanta/libmorvanta_http.so"))
        .toStdString();
}

HttpFetcherModule::Loaded HttpFetcherModule::make() {
    const QString file = QString::fromStdString(path());
    QLibrary module(file);
    using Make = HttpFetcher* (*)();
    // QLibrary keeps a loaded module loaded for the process: a fetcher's code never goes away
    // under it.
    const auto make = reinterpret_cast<Make>(module.resolve("morvanta_make_http_fetcher"));
    if (!make)
        return {nullptr, "Morvanta's network module couldn't be loaded (" +
                             module.errorString().toStdString() + ")."};
    return {std::unique_ptr<HttpFetcher>(make()), {}};
}

} // namespace morvanta
