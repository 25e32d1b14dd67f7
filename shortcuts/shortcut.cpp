#include "shortcuts/shortcut.h"

#include <limits>
#include <nlohmann/json.hpp>

namespace morvanta {

namespace {

// A member that is a whole number within the int range; anything else is refused.
std::optional<int> intMember(const nlohmann::json& object, const char* key) {
    auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer()) {
        return std::nullopt;
    }
    auto value = found->get<long long>();
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

} // namespace

std::string Shortcut::toJson() const {
    nlohmann::json object = {{"carbonKeyCode", carbonKeyCode},
                             {"carbonModifiers", carbonModifiers}};
    return object.dump();
}

std::optional<Shortcut> Shortcut::fromJson(const std::string& text) {
    auto object = nlohmann::json::parse(text, nullptr, false);
    if (object.is_discarded() || !object.is_object()) {
        return std::nullopt;
    }
    auto keyCode = intMember(object, "carbonKeyCode");
    auto modifiers = intMember(object, "carbonModifiers");
    if (!keyCode || !modifiers) {
        return std::nullopt;
    }
    return Shortcut{*keyCode, *modifiers};
}

} // namespace morvanta
