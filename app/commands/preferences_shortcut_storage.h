// PreferencesShortcutStorage: the hot-key service's bindings kept in the preferences domain,
// beside the other settings, so they survive restarts and travel with the user's settings.
// Values cross between the domain's kinds and JSON faithfully (a binding is a JSON string, a
// removed default is false); binary data, which JSON lacks, becomes a JSON binary value.
#pragma once

#include "app/settings/preferences_domain.h"
#include "shortcuts/shortcut_storage.h"

namespace morvanta {

class PreferencesShortcutStorage : public ShortcutStorage {
public:
    explicit PreferencesShortcutStorage(PreferencesDomain& domain) : domain_(domain) {}

    std::optional<nlohmann::json> value(const std::string& key) const override;
    void setValue(const std::string& key, const nlohmann::json& value) override;
    void removeValue(const std::string& key) override;

    static nlohmann::json toJson(const PreferenceValue& value);
    // None for null, which a preferences domain cannot hold.
    static std::optional<PreferenceValue> fromJson(const nlohmann::json& value);

private:
    PreferencesDomain& domain_;
};

} // namespace morvanta
