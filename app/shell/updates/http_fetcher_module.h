// HttpFetcherModule: finds and loads the module that holds the update service's HttpFetcher,
// <bindir>/../lib/morvanta/libmorvanta_http.so beside the program (the build tree has it at
// the same place), or the file MORVANTA_HTTP_MODULE names.
#pragma once

#include "app/shell/updates/http_fetcher.h"

#include <memory>
#include <string>

namespace morvanta {

class HttpFetcherModule {
public:
    struct Loaded {
        std::unique_ptr<HttpFetcher> fetcher; // none when the module could not be loaded
        std::string error;                    // why not
    };
    // Loads the module once per process (it stays loaded) and makes a fetcher.
    static Loaded make();
    static std::string path();
};

} // namespace morvanta
