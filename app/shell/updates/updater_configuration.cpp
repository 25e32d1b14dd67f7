#include "app/shell/updates/updater_configuration.h"

namespace morvanta {

UpdaterConfiguration UpdaterConfiguration::fromBuild() {
    UpdaterConfiguration configuration;
    configuration.feedURL = MORVANTA_UPDATE_FEED_URL;
    configuration.publicKey = MORVANTA_UPDATE_PUBLIC_KEY;
    configuration.appVersion = MORVANTA_VERSION;
    return configuration;
}

} // namespace morvanta
