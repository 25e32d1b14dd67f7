#include "app/settings/preference_value.h"

#include <cmath>

namespace morvanta {

PreferenceValue PreferenceValue::fromStrings(const std::vector<std::string>& strings) {
    return Array(strings.begin(), strings.end());
}

PreferenceValue
PreferenceValue::fromStringDictionary(const std::map<std::string, std::string>& entries) {
    Dictionary dictionary;
    for (const auto& [key, value] : entries)
        dictionary.emplace(key, value);
    return dictionary;
}

std::optional<bool> PreferenceValue::asBoolean() const {
    if (const bool* value = std::get_if<bool>(&storage_))
        return *value;
    return std::nullopt;
}

std::optional<double> PreferenceValue::asNumber() const {
    if (const auto* integer = std::get_if<std::int64_t>(&storage_))
        return static_cast<double>(*integer);
    if (const auto* real = std::get_if<double>(&storage_))
        return *real;
    return std::nullopt;
}

std::optional<std::int64_t> PreferenceValue::asInteger() const {
    if (const auto* integer = std::get_if<std::int64_t>(&storage_))
        return *integer;
    if (const auto* real = std::get_if<double>(&storage_)) {
        // 2^63 is exactly representable; anything at or beyond it does not fit.
        if (std::isfinite(*real) && std::trunc(*real) == *real && *real >= -0x1p63 &&
            *real < 0x1p63)
            return static_cast<std::int64_t>(*real);
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> PreferenceValue::asStrings() const {
    const Array* array = asArray();
    if (array == nullptr)
        return std::nullopt;
    std::vector<std::string> strings;
    strings.reserve(array->size());
    for (const auto& element : *array) {
        const std::string* text = element.asString();
        if (text == nullptr)
            return std::nullopt;
        strings.push_back(*text);
    }
    return strings;
}

std::optional<std::map<std::string, std::string>> PreferenceValue::asStringDictionary() const {
    const Dictionary* dictionary = asDictionary();
    if (dictionary == nullptr)
        return std::nullopt;
    std::map<std::string, std::string> entries;
    for (const auto& [key, value] : *dictionary) {
        const std::string* text = value.asString();
        if (text == nullptr)
            return std::nullopt;
        entries.emplace(key, *text);
    }
    return entries;
}

bool PreferenceValue::operator==(const PreferenceValue& other) const {
    // Real numbers compare by value, so a NaN written and read back still equals itself.
    const auto* mine = std::get_if<double>(&storage_);
    const auto* theirs = std::get_if<double>(&other.storage_);
    if (mine != nullptr && theirs != nullptr)
        return *mine == *theirs || (std::isnan(*mine) && std::isnan(*theirs));
    return storage_ == other.storage_;
}

} // namespace morvanta
