#include "app/settings/memory_preferences_domain.h"

namespace morvanta {

std::optional<PreferenceValue> MemoryPreferencesDomain::object(std::string_view key) const {
    auto found = values_.find(std::string(key));
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

void MemoryPreferencesDomain::set(std::string_view key, PreferenceValue value) {
    values_.insert_or_assign(std::string(key), std::move(value));
}

void MemoryPreferencesDomain::remove(std::string_view key) {
    values_.erase(std::string(key));
}

} // namespace morvanta
