// UpdaterConfiguration: what a build says about updating (the feed's address and the public
// key downloads are signed with, both empty unless the build sets them) and the limits and
// timings of checking, which tests shorten.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace morvanta {

struct UpdaterConfiguration {
    std::string feedURL;
    // Base64 Ed25519 public key.
    std::string publicKey;
    // The running program's version.
    std::string appVersion;

    std::chrono::milliseconds checkInterval = std::chrono::hours(24);
    // Automatic checks wait at least this long after start.
    std::chrono::milliseconds firstCheckDelay = std::chrono::minutes(1);
    // A transfer that receives nothing for this long is given up.
    std::chrono::milliseconds transferTimeout = std::chrono::seconds(60);
    std::int64_t maxFeedBytes = 4 * 1024 * 1024;
    std::int64_t maxDownloadBytes = 512 * 1024 * 1024;

    // The feed address, signing key and version this program was built with.
    static UpdaterConfiguration fromBuild();
};

} // namespace morvanta
