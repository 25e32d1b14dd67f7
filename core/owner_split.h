// OwnerSplit: decides which connected display owns each existing workspace. When every
// connected display has at least one explicitly assigned workspace, the assignments rule and
// the rest go to the first display; otherwise digits are shared out in even blocks and letters
// follow their assignment or the first display.
#pragma once

#include "core/display_id.h"

#include <map>
#include <vector>

namespace morvanta {

class OwnerSplit {
public:
    // `numbers` are all existing workspaces (digits, then letters ascending); `displays` is
    // not empty.
    OwnerSplit(const std::vector<DisplayID>& displays, const std::vector<int>& numbers,
               const std::map<int, DisplayID>& assignment);

    std::map<int, DisplayID> owners() const;

private:
    bool isConnected(const DisplayID& display) const;
    const DisplayID* assignedDisplay(int number) const;
    std::map<int, DisplayID> explicitOwners() const;
    std::map<int, DisplayID> defaultSplit() const;

    const std::vector<DisplayID>& displays_;
    std::vector<int> numbers_;
    const std::map<int, DisplayID>& assignment_;
};

} // namespace morvanta
