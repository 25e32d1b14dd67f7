#include "app/shell/updates/update_preferences.h"

#include <cmath>

namespace morvanta {

UpdatePreferences::UpdatePreferences(PreferencesDomain& defaults, std::string appVersion)
    : defaults_(defaults), appVersion_(std::move(appVersion)) {}

bool UpdatePreferences::receivesBetaUpdates() const {
    if (std::optional<PreferenceValue> stored = defaults_.object(betaKey)) {
        if (std::optional<bool> choice = stored->asBoolean())
            return *choice;
    }
    return appVersion_.starts_with("0.");
}

void UpdatePreferences::setReceivesBetaUpdates(bool receives) {
    defaults_.set(betaKey, receives);
}

std::set<std::string> UpdatePreferences::allowedChannels() const {
    if (receivesBetaUpdates())
        return {betaChannel};
    return {};
}

bool UpdatePreferences::automaticallyChecksForUpdates() const {
    if (std::optional<PreferenceValue> stored = defaults_.object(automaticChecksKey)) {
        if (std::optional<bool> choice = stored->asBoolean())
            return *choice;
    }
    return true;
}

void UpdatePreferences::setAutomaticallyChecksForUpdates(bool checks) {
    defaults_.set(automaticChecksKey, checks);
}

std::optional<std::chrono::system_clock::time_point> UpdatePreferences::lastCheckTime() const {
    std::optional<double> seconds = defaults_.number(lastCheckKey);
    // Anything outside a few thousand years is a damaged value, read as "never checked".
    if (!seconds || !std::isfinite(*seconds) || std::fabs(*seconds) > 1e11)
        return std::nullopt;
    auto since = std::chrono::duration_cast<std::chrono::system_clock::duration>(
        std::chrono::duration<double>(*seconds));
    return std::chrono::system_clock::time_point(since);
}

void UpdatePreferences::setLastCheckTime(std::chrono::system_clock::time_point time) {
    double seconds = std::chrono::duration<double>(time.time_since_epoch()).count();
    defaults_.set(lastCheckKey, seconds);
}

} // namespace morvanta
