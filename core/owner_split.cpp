#include "core/owner_split.h"

#include "core/workspace_numbers.h"

#include <algorithm>

namespace morvanta {

OwnerSplit::OwnerSplit(const std::vector<DisplayID>& displays, const std::vector<int>& numbers,
                       const std::map<int, DisplayID>& assignment)
    : displays_(displays), numbers_(numbers), assignment_(assignment) {}

bool OwnerSplit::isConnected(const DisplayID& display) const {
    return std::find(displays_.begin(), displays_.end(), display) != displays_.end();
}

// The assigned display of a workspace when it is connected.
const DisplayID* OwnerSplit::assignedDisplay(int number) const {
    const auto chosen = assignment_.find(number);
    if (chosen == assignment_.end() || !isConnected(chosen->second))
        return nullptr;
    return &chosen->second;
}

std::map<int, DisplayID> OwnerSplit::owners() const {
    std::map<int, DisplayID> owners = explicitOwners();
    const bool everyDisplayOwnsOne =
        std::all_of(displays_.begin(), displays_.end(), [&](const DisplayID& display) {
            return std::any_of(owners.begin(), owners.end(),
                               [&](const auto& entry) { return entry.second == display; });
        });
    if (!everyDisplayOwnsOne)
        return defaultSplit();
    for (int number : numbers_)
        owners.try_emplace(number, displays_.front());
    return owners;
}

std::map<int, DisplayID> OwnerSplit::explicitOwners() const {
    std::map<int, DisplayID> owners;
    for (int number : numbers_)
        if (const DisplayID* display = assignedDisplay(number))
            owners.emplace(number, *display);
    return owners;
}

// Digit workspaces in even blocks, display by display (explicit digit assignments stay stored
// but do not count here); letters on their assigned display or the first.
std::map<int, DisplayID> OwnerSplit::defaultSplit() const {
    std::map<int, DisplayID> owners;
    const int count = static_cast<int>(displays_.size());
    const int block = (9 + count - 1) / count;
    for (int number : numbers_) {
        if (isDigitWorkspace(number)) {
            const int slot = number == 1 ? 0 : std::min(count - 1, (number - 1) / block);
            owners.emplace(number, displays_[static_cast<std::size_t>(slot)]);
        } else {
            const DisplayID* display = assignedDisplay(number);
            owners.emplace(number, display ? *display : displays_.front());
        }
    }
    return owners;
}

} // namespace morvanta
