#include "app/commands/preferences_shortcut_storage.h"

#include <cstdint>
#include <limits>

namespace morvanta {

nlohmann::json PreferencesShortcutStorage::toJson(const PreferenceValue& value) {
    if (const auto boolean = value.asBoolean(); boolean && value.isBoolean())
        return *boolean;
    if (value.isInteger())
        return *value.asInteger();
    if (value.isNumber())
        return *value.asNumber();
    if (const auto* text = value.asString())
        return *text;
    if (const auto* data = value.asData())
        return nlohmann::json::binary(*data);
    if (const auto* array = value.asArray()) {
        auto out = nlohmann::json::array();
        for (const auto& element : *array)
            out.push_back(toJson(element));
        return out;
    }
    auto out = nlohmann::json::object();
    if (const auto* dictionary = value.asDictionary())
        for (const auto& [key, element] : *dictionary)
            out[key] = toJson(element);
    return out;
}

std::optional<PreferenceValue> PreferencesShortcutStorage::fromJson(const nlohmann::json& value) {
    switch (value.type()) {
    case nlohmann::json::value_t::boolean:
        return PreferenceValue(value.get<bool>());
    case nlohmann::json::value_t::number_integer:
        return PreferenceValue(value.get<std::int64_t>());
    case nlohmann::json::value_t::number_unsigned:
        if (value.get<std::uint64_t>() <=
            static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return PreferenceValue(static_cast<std::int64_t>(value.get<std::uint64_t>()));
        return PreferenceValue(value.get<double>());
    case nlohmann::json::value_t::number_float:
        return PreferenceValue(value.get<double>());
    case nlohmann::json::value_t::string:
        return PreferenceValue(value.get<std::string>());
    case nlohmann::json::value_t::binary:
        return PreferenceValue(
            PreferenceValue::Data(value.get_binary().begin(), value.get_binary().end()));
    case nlohmann::json::value_t::array: {
        PreferenceValue::Array array;
        for (const auto& element : value)
            if (auto converted = fromJson(element))
                array.push_back(std::move(*converted));
        return PreferenceValue(std::move(array));
    }
    case nlohmann::json::value_t::object: {
        PreferenceValue::Dictionary dictionary;
        for (const auto& [key, element] : value.items())
            if (auto converted = fromJson(element))
                dictionary.emplace(key, std::move(*converted));
        return PreferenceValue(std::move(dictionary));
    }
    default:
        return std::nullopt;
    }
}

std::optional<nlohmann::json> PreferencesShortcutStorage::value(const std::string& key) const {
    const auto stored = domain_.object(key);
    if (!stored)
        return std::nullopt;
    return toJson(*stored);
}

void PreferencesShortcutStorage::setValue(const std::string& key, const nlohmann::json& value) {
    if (auto converted = fromJson(value))
        domain_.set(key, std::move(*converted));
    else
        domain_.remove(key);
}

void PreferencesShortcutStorage::removeValue(const std::string& key) {
    domain_.remove(key);
}

} // namespace morvanta
