// UpdatePreferences: the update choices kept in the standard preferences domain: whether beta
// versions are wanted ("receivesBetaUpdates", written by the settings window), whether the
// feed is checked automatically, and when it was last checked.
#pragma once

#include "app/settings/preferences_domain.h"

#include <chrono>
#include <optional>
#include <set>
#include <string>

namespace morvanta {

class UpdatePreferences {
public:
    static constexpr const char* betaKey = "receivesBetaUpdates";
    static constexpr const char* automaticChecksKey = "automaticallyChecksForUpdates";
    static constexpr const char* lastCheckKey = "lastUpdateCheckTime";
    // The feed channel that beta versions are published on.
    static constexpr const char* betaChannel = "beta";

    // `appVersion` is the running program's version (empty when unknown).
    UpdatePreferences(PreferencesDomain& defaults, std::string appVersion);

    // The stored choice when the key holds a boolean; otherwise true exactly for a 0.x
    // version (an empty version is not one).
    bool receivesBetaUpdates() const;
    void setReceivesBetaUpdates(bool receives);

    // The feed channels accepted beside the default one: {"beta"} or none.
    std::set<std::string> allowedChannels() const;

    // On unless switched off.
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool checks);

    std::optional<std::chrono::system_clock::time_point> lastCheckTime() const;
    void setLastCheckTime(std::chrono::system_clock::time_point time);

    const std::string& appVersion() const { return appVersion_; }

private:
    PreferencesDomain& defaults_;
    std::string appVersion_;
};

} // namespace morvanta
