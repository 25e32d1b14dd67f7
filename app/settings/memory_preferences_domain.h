// MemoryPreferencesDomain: a preferences domain that lives only in memory, for tests and for
// running when no configuration folder can be found.
#pragma once

#include "app/settings/preferences_domain.h"

#include <map>
#include <string>

namespace morvanta {

class MemoryPreferencesDomain : public PreferencesDomain {
public:
    MemoryPreferencesDomain() = default;
    explicit MemoryPreferencesDomain(PreferenceValue::Dictionary values)
        : values_(std::move(values)) {}

    std::optional<PreferenceValue> object(std::string_view key) const override;
    void set(std::string_view key, PreferenceValue value) override;
    void remove(std::string_view key) override;
    void removeDomain() override { values_.clear(); }

    const PreferenceValue::Dictionary& values() const { return values_; }

private:
    PreferenceValue::Dictionary values_;
};

} // namespace morvanta
