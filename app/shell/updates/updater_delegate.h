// UpdaterDelegate: what the update service asks its owner on every check: which feed to read
// and which channels, beside the default one, to accept.
#pragma once

#include <set>
#include <string>

namespace morvanta {

class UpdaterDelegate {
public:
    virtual ~UpdaterDelegate() = default;
    virtual std::string feedURLString() const = 0;
    virtual std::set<std::string> allowedChannels() const = 0;
};

} // namespace morvanta
