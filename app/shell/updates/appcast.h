// Appcast: reads an update feed in the appcast form (RSS 2.0 whose items carry an
// <enclosure> with the download's address, length, version and Ed25519 signature in the
// Sparkle namespace, and optionally a <sparkle:channel>), and picks the update to offer.
// A feed that is not XML, not an RSS feed, or has an item without a download or a readable
// version is refused as a whole with a message saying what is wrong.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QByteArray;

namespace morvanta {

struct AppcastItem {
    std::string title;
    // The version compared against the running one.
    std::string version;
    // The version shown to people; the version itself when the feed gives none.
    std::string displayVersion;
    // Empty for the default channel.
    std::string channel;
    std::string downloadURL;
    std::optional<std::int64_t> length;
    // Base64 Ed25519 signature of the download; empty when the feed gives none.
    std::string edSignature;
    std::string releaseNotesURL;
};

struct AppcastParse {
    std::vector<AppcastItem> items;
    // Empty when the feed was read; otherwise why it was refused.
    std::string error;
};

class Appcast {
public:
    static constexpr const char* sparkleNamespace =
        "http://www.andymatuschak.org/xml-namespaces/sparkle";

    static AppcastParse parse(const QByteArray& feed);

    // The newest item on the default channel or one of `allowedChannels`, when it is newer
    // than `currentVersion`.
    static std::optional<AppcastItem> newestUpdate(const std::vector<AppcastItem>& items,
                                                   const std::set<std::string>& allowedChannels,
                                                   const std::string& currentVersion);
};

} // namespace morvanta
