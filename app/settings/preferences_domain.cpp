#include "app/settings/preferences_domain.h"

namespace morvanta {

std::optional<std::string> PreferencesDomain::string(std::string_view key) const {
    auto value = object(key);
    if (value && value->asString())
        return *value->asString();
    return std::nullopt;
}

std::optional<std::vector<std::string>> PreferencesDomain::stringArray(std::string_view key) const {
    auto value = object(key);
    return value ? value->asStrings() : std::nullopt;
}

std::optional<PreferenceValue::Dictionary>
PreferencesDomain::dictionary(std::string_view key) const {
    auto value = object(key);
    if (value && value->asDictionary())
        return *value->asDictionary();
    return std::nullopt;
}

std::optional<PreferenceValue::Array> PreferencesDomain::array(std::string_view key) const {
    auto value = object(key);
    if (value && value->asArray())
        return *value->asArray();
    return std::nullopt;
}

std::optional<PreferenceValue::Data> PreferencesDomain::data(std::string_view key) const {
    auto value = object(key);
    if (value && value->asData())
        return *value->asData();
    return std::nullopt;
}

std::optional<double> PreferencesDomain::number(std::string_view key) const {
    auto value = object(key);
    return value ? value->asNumber() : std::nullopt;
}

bool PreferencesDomain::boolean(std::string_view key) const {
    auto value = object(key);
    return value && value->asBoolean().value_or(false);
}

} // namespace morvanta
