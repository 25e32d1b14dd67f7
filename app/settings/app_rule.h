// AppRule: what Morvanta does with one application's windows. An application is named by
// the class part of its windows' WM_CLASS (what desktop entries call StartupWMClass), kept
// in bundleID and matched exactly.
//
// JSON form, member names exactly: {"bundleID": s, "appName": s, "workspace": n,
// "floating": b, "noBorder": b}; "workspace" is left out when absent (null also reads as
// absent). Every other member is required with its kind; unknown members are ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvanta {

struct AppRule {
    std::string bundleID;
    std::string appName;
    std::optional<int> workspace;
    bool floating = false;
    bool noBorder = false;

    bool operator==(const AppRule&) const = default;

    nlohmann::ordered_json toJson() const;
    static std::optional<AppRule> fromJson(const nlohmann::json& value);

    // The stored form of a rule list: the compact JSON text of an array of rules.
    static std::vector<std::uint8_t> encodeList(const std::vector<AppRule>& rules);
    // None unless the bytes are a JSON array whose every element decodes as a rule.
    static std::optional<std::vector<AppRule>> decodeList(const std::vector<std::uint8_t>& bytes);
};

} // namespace morvanta

template <> struct std::hash<morvanta::AppRule> {
    std::size_t operator()(const morvanta::AppRule& rule) const noexcept;
};
