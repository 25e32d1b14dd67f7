// PreferenceValue: one value of a preferences domain, keeping its kind: boolean, integer,
// real number, string, binary data, array or dictionary. Reads never convert between kinds,
// so a number stored as a string is not a number.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace morvanta {

class PreferenceValue {
public:
    using Data = std::vector<std::uint8_t>;
    using Array = std::vector<PreferenceValue>;
    using Dictionary = std::map<std::string, PreferenceValue>;

    PreferenceValue() : storage_(false) {}
    PreferenceValue(bool value) : storage_(value) {}
    PreferenceValue(int value) : storage_(std::int64_t{value}) {}
    PreferenceValue(std::int64_t value) : storage_(value) {}
    PreferenceValue(double value) : storage_(value) {}
    PreferenceValue(std::string value) : storage_(std::move(value)) {}
    PreferenceValue(const char* value) : storage_(std::string(value)) {}
    PreferenceValue(Data value) : storage_(std::move(value)) {}
    PreferenceValue(Array value) : storage_(std::move(value)) {}
    PreferenceValue(Dictionary value) : storage_(std::move(value)) {}

    static PreferenceValue fromStrings(const std::vector<std::string>& strings);
    static PreferenceValue fromStringDictionary(const std::map<std::string, std::string>& entries);

    bool isBoolean() const { return std::holds_alternative<bool>(storage_); }
    bool isNumber() const { return isInteger() || std::holds_alternative<double>(storage_); }
    bool isInteger() const { return std::holds_alternative<std::int64_t>(storage_); }
    bool isString() const { return std::holds_alternative<std::string>(storage_); }
    bool isData() const { return std::holds_alternative<Data>(storage_); }
    bool isArray() const { return std::holds_alternative<Array>(storage_); }
    bool isDictionary() const { return std::holds_alternative<Dictionary>(storage_); }

    std::optional<bool> asBoolean() const;
    // Integers and real numbers alike.
    std::optional<double> asNumber() const;
    // An integer, or a real number with no fractional part that fits in 64 bits.
    std::optional<std::int64_t> asInteger() const;
    const std::string* asString() const { return std::get_if<std::string>(&storage_); }
    const Data* asData() const { return std::get_if<Data>(&storage_); }
    const Array* asArray() const { return std::get_if<Array>(&storage_); }
    const Dictionary* asDictionary() const { return std::get_if<Dictionary>(&storage_); }

    // Every element a string / every value a string; none otherwise.
    std::optional<std::vector<std::string>> asStrings() const;
    std::optional<std::map<std::string, std::string>> asStringDictionary() const;

    bool operator==(const PreferenceValue& other) const;

private:
    std::variant<bool, std::int64_t, double, std::string, Data, Array, Dictionary> storage_;
};

} // namespace morvanta
