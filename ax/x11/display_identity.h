// A display's persistent identity: a UUID string (upper-case, 8-4-4-4-12) derived from the
// monitor's EDID, so the same physical display keeps its identity across launches and ports;
// the monitor's name when it has no EDID. Pure code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvanta {

std::string displayIdentity(const std::vector<std::uint8_t>& edid, const std::string& name);

} // namespace morvanta
