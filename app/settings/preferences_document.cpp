#include "app/settings/preferences_document.h"

#include <array>
#include <cmath>
#include <nlohmann/json.hpp>

namespace morvanta {

namespace {

using json = nlohmann::json;

constexpr std::string_view dataMarker = "$data";
constexpr std::string_view realMarker = "$real";
constexpr char base64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string escapeKey(const std::string& key) {
    return key.starts_with('$') ? "$" + key : key;
}
std::string unescapeKey(const std::string& key) {
    return key.starts_with("$$") ? key.substr(1) : key;
}

json toJson(const PreferenceValue& value);

json dictionaryToJson(const PreferenceValue::Dictionary& dictionary) {
    json object = json::object();
    for (const auto& [key, element] : dictionary)
        object[escapeKey(key)] = toJson(element);
    return object;
}

json realToJson(double real) {
    if (std::isnan(real))
        return json{{realMarker, "nan"}};
    if (std::isinf(real))
        return json{{realMarker, real > 0 ? "inf" : "-inf"}};
    return real;
}

json toJson(const PreferenceValue& value) {
    if (auto boolean = value.asBoolean())
        return *boolean;
    if (value.isInteger())
        return *value.asInteger();
    if (value.isNumber())
        return realToJson(*value.asNumber());
    if (const auto* text = value.asString())
        return *text;
    if (const auto* data = value.asData())
        return json{{dataMarker, PreferencesDocument::base64Encode(*data)}};
    if (const auto* array = value.asArray()) {
        json list = json::array();
        for (const auto& element : *array)
            list.push_back(toJson(element));
        return list;
    }
    return dictionaryToJson(*value.asDictionary());
}

struct Decoder {
    std::string error;

    std::optional<PreferenceValue> marker(const json& object) {
        auto only = object.begin();
        const std::string& name = only.key();
        const json& payload = only.value();
        if (!payload.is_string())
            return std::nullopt;
        const auto& text = payload.get_ref<const std::string&>();
        if (name == dataMarker) {
            if (auto bytes = PreferencesDocument::base64Decode(text))
                return PreferenceValue(std::move(*bytes));
            return std::nullopt;
        }
        if (text == "nan")
            return PreferenceValue(std::nan(""));
        if (text == "inf" || text == "-inf")
            return PreferenceValue(text == "inf" ? HUGE_VAL : -HUGE_VAL);
        return std::nullopt;
    }

    std::optional<PreferenceValue::Dictionary> dictionary(const json& object, int depth) {
        PreferenceValue::Dictionary result;
        for (const auto& [key, element] : object.items()) {
            if (auto value = convert(element, depth + 1))
                result.insert_or_assign(unescapeKey(key), std::move(*value));
            else if (!error.empty())
                return std::nullopt;
        }
        return result;
    }

    // None with error empty: the value is dropped. None with error set: the document fails.
    std::optional<PreferenceValue> convert(const json& value, int depth) {
        if (depth > PreferencesDocument::maxDepth) {
            error = "values nest deeper than " + std::to_string(PreferencesDocument::maxDepth) +
                    " levels";
            return std::nullopt;
        }
        switch (value.type()) {
        case json::value_t::boolean:
            return PreferenceValue(value.get<bool>());
        case json::value_t::number_integer:
            return PreferenceValue(value.get<std::int64_t>());
        case json::value_t::number_unsigned:
            if (value.get<std::uint64_t>() <= static_cast<std::uint64_t>(INT64_MAX))
                return PreferenceValue(value.get<std::int64_t>());
            return PreferenceValue(static_cast<double>(value.get<std::uint64_t>()));
        case json::value_t::number_float:
            return PreferenceValue(value.get<double>());
        case json::value_t::string:
            return PreferenceValue(value.get<std::string>());
        case json::value_t::array: {
            PreferenceValue::Array array;
            for (const auto& element : value) {
                if (auto converted = convert(element, depth + 1))
                    array.push_back(std::move(*converted));
                else if (!error.empty())
                    return std::nullopt;
            }
            return PreferenceValue(std::move(array));
        }
        case json::value_t::object: {
            if (value.size() == 1 && (value.contains(dataMarker) || value.contains(realMarker)))
                return marker(value);
            auto result = dictionary(value, depth);
            if (!result)
                return std::nullopt;
            return PreferenceValue(std::move(*result));
        }
        default:
            return std::nullopt;
        }
    }
};

} // namespace

std::string PreferencesDocument::encode(const PreferenceValue::Dictionary& values) {
    return dictionaryToJson(values).dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::optional<PreferenceValue::Dictionary> PreferencesDocument::decode(std::string_view text,
                                                                       std::string* error) {
    auto fail = [error](std::string reason) -> std::optional<PreferenceValue::Dictionary> {
        if (error != nullptr)
            *error = std::move(reason);
        return std::nullopt;
    };
    json document = json::parse(text, nullptr, false);
    if (document.is_discarded())
        return fail("it is not valid JSON text");
    if (!document.is_object())
        return fail("its top level is not a JSON object");
    Decoder decoder;
    auto values = decoder.dictionary(document, 0);
    if (!values)
        return fail(decoder.error);
    return values;
}

std::string PreferencesDocument::base64Encode(const PreferenceValue::Data& bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t chunk = std::uint32_t{bytes[i]} << 16;
        if (i + 1 < bytes.size())
            chunk |= std::uint32_t{bytes[i + 1]} << 8;
        if (i + 2 < bytes.size())
            chunk |= bytes[i + 2];
        // One byte left gives two characters, two give three, three or more give four.
        std::size_t remaining = bytes.size() - i;
        for (std::size_t k = 0; k < 4; ++k)
            text += k <= remaining ? base64Alphabet[(chunk >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return text;
}

std::optional<PreferenceValue::Data> PreferencesDocument::base64Decode(std::string_view text) {
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::array<int, 256> values;
    values.fill(-1);
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(base64Alphabet[i])] = i;
    PreferenceValue::Data bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        bool last = i + 4 == text.size();
        std::size_t padding = 0;
        if (last && text[i + 3] == '=')
            padding = text[i + 2] == '=' ? 2 : 1;
        std::uint32_t chunk = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            int sextet = k >= 4 - padding ? 0 : values[static_cast<unsigned char>(text[i + k])];
            if (sextet < 0)
                return std::nullopt;
            chunk = chunk << 6 | static_cast<std::uint32_t>(sextet);
        }
        for (std::size_t k = 0; k < 3 - padding; ++k)
            bytes.push_back(static_cast<std::uint8_t>(chunk >> (16 - 8 * k)));
    }
    return bytes;
}

} // namespace morvanta
