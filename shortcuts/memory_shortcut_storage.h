// ShortcutStorage held in memory: for tests, and for callers that want bindings that do not
// outlive the process. Copying the object copies the stored values ("a restart" in tests).
#pragma once

#include "shortcuts/shortcut_storage.h"

#include <map>

namespace morvanta {

class MemoryShortcutStorage : public ShortcutStorage {
public:
    std::optional<nlohmann::json> value(const std::string& key) const override;
    void setValue(const std::string& key, const nlohmann::json& value) override;
    void removeValue(const std::string& key) override;

    const std::map<std::string, nlohmann::json>& values() const { return values_; }

private:
    std::map<std::string, nlohmann::json> values_;
};

} // namespace morvanta
