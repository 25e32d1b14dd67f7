// Where the hot-key service keeps its bindings: a small key-value interface the application
// fills with its preferences domain. Values are JSON values so that every kind a preferences
// domain may hold under a key (string, boolean, number, ...) can be handed back faithfully.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace morvanta {

class ShortcutStorage {
public:
    virtual ~ShortcutStorage() = default;
    // The value under `key`, or none when nothing is stored.
    virtual std::optional<nlohmann::json> value(const std::string& key) const = 0;
    virtual void setValue(const std::string& key, const nlohmann::json& value) = 0;
    virtual void removeValue(const std::string& key) = 0;
};

} // namespace morvanta
