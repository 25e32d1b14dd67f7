// PreferencesDomain: a named set of typed values under string keys, where Morvanta keeps its
// settings. Typed reads answer none (or false) when the key is absent or holds another kind;
// they never convert between kinds. Main thread only.
#pragma once

#include "app/settings/preference_value.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvanta {

class PreferencesDomain {
public:
    virtual ~PreferencesDomain() = default;

    // The stored value, of whatever kind.
    virtual std::optional<PreferenceValue> object(std::string_view key) const = 0;
    virtual void set(std::string_view key, PreferenceValue value) = 0;
    virtual void remove(std::string_view key) = 0;
    // Removes every key and whatever backs the domain (the self-test wipes its own this way).
    virtual void removeDomain() = 0;

    std::optional<std::string> string(std::string_view key) const;
    std::optional<std::vector<std::string>> stringArray(std::string_view key) const;
    std::optional<PreferenceValue::Dictionary> dictionary(std::string_view key) const;
    std::optional<PreferenceValue::Array> array(std::string_view key) const;
    std::optional<PreferenceValue::Data> data(std::string_view key) const;
    std::optional<double> number(std::string_view key) const;
    // True only for a stored boolean true; absent or any other kind reads false.
    bool boolean(std::string_view key) const;
};

} // namespace morvanta
