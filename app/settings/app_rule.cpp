#include "app/settings/app_rule.h"

#include <cmath>
#include <limits>

namespace morvanta {

namespace {

using nlohmann::json;

std::optional<int> integerOf(const json& value) {
    if (value.is_number_integer() || value.is_number_unsigned()) {
        // Compare in the widest type first so no conversion wraps.
        if (value.is_number_unsigned() &&
            value.get<std::uint64_t>() >
                static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
            return std::nullopt;
        auto number = value.get<std::int64_t>();
        if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
            return std::nullopt;
        return static_cast<int>(number);
    }
    if (value.is_number_float()) {
        double number = value.get<double>();
        if (std::trunc(number) == number && number >= std::numeric_limits<int>::min() &&
            number <= std::numeric_limits<int>::max())
            return static_cast<int>(number);
    }
    return std::nullopt;
}

} // namespace

nlohmann::ordered_json AppRule::toJson() const {
    nlohmann::ordered_json object;
    object["bundleID"] = bundleID;
    object["appName"] = appName;
    if (workspace)
        object["workspace"] = *workspace;
    object["floating"] = floating;
    object["noBorder"] = noBorder;
    return object;
}

std::optional<AppRule> AppRule::fromJson(const json& value) {
    if (!value.is_object())
        return std::nullopt;
    auto bundle = value.find("bundleID");
    auto name = value.find("appName");
    auto floats = value.find("floating");
    auto border = value.find("noBorder");
    if (bundle == value.end() || !bundle->is_string() || name == value.end() ||
        !name->is_string() || floats == value.end() || !floats->is_boolean() ||
        border == value.end() || !border->is_boolean())
        return std::nullopt;
    AppRule rule{bundle->get<std::string>(), name->get<std::string>(), std::nullopt,
                 floats->get<bool>(), border->get<bool>()};
    if (auto workspace = value.find("workspace");
        workspace != value.end() && !workspace->is_null()) {
        rule.workspace = integerOf(*workspace);
        if (!rule.workspace)
            return std::nullopt;
    }
    return rule;
}

std::vector<std::uint8_t> AppRule::encodeList(const std::vector<AppRule>& rules) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& rule : rules)
        list.push_back(rule.toJson());
    std::string text = list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return {text.begin(), text.end()};
}

std::optional<std::vector<AppRule>> AppRule::decodeList(const std::vector<std::uint8_t>& bytes) {
    json list = json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (list.is_discarded() || !list.is_array())
        return std::nullopt;
    std::vector<AppRule> rules;
    for (const auto& element : list) {
        auto rule = fromJson(element);
        if (!rule)
            return std::nullopt;
        rules.push_back(std::move(*rule));
    }
    return rules;
}

} // namespace morvanta

std::size_t std::hash<morvanta::AppRule>::operator()(const morvanta::AppRule& rule) const noexcept {
    std::size_t seed = std::hash<std::string>{}(rule.bundleID);
    auto mix = [&seed](std::size_t value) {
        seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    };
    mix(std::hash<std::string>{}(rule.appName));
    mix(rule.workspace ? std::hash<int>{}(*rule.workspace) : 0x51ed27);
    mix(static_cast<std::size_t>(rule.floating) << 1 | static_cast<std::size_t>(rule.noBorder));
    return seed;
}
