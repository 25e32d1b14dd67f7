#include "shortcuts/memory_shortcut_storage.h"

namespace morvanta {

std::optional<nlohmann::json> MemoryShortcutStorage::value(const std::string& key) const {
    auto found = values_.find(key);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void MemoryShortcutStorage::setValue(const std::string& key, const nlohmann::json& value) {
    values_[key] = value;
}

void MemoryShortcutStorage::removeValue(const std::string& key) {
    values_.erase(key);
}

} // namespace morvanta
