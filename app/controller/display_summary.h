// DisplaySummary: what the menu, the settings window and the displays tab show about one
// display: its name, the workspace it shows and that workspace's layout, the workspaces it
// owns, and the window counts and owning processes of every workspace. A plain value.
#pragma once

#include "core/display_id.h"
#include "core/geometry.h"
#include "core/layout_kind.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace morvanta {

struct DisplaySummary {
    DisplayID id;
    // The screen's own name, or the identifier's text when no screen has that identifier.
    std::string name;
    int activeNumber = 1;
    LayoutKind layout = LayoutKind::mainStack;
    // Every workspace number (1–9, then the letter workspaces): its window count, floating
    // windows included. The same in every summary of one publication.
    std::map<int, int> counts;
    // Every workspace number: the process ids of its windows in window order, repeats kept.
    std::map<int, std::vector<std::int32_t>> appPIDs;
    // The workspaces this display owns, in the model's order.
    std::vector<int> numbers;
    // The screen's frame, or the zero rectangle when no screen has this identifier.
    Rect frame;

    bool operator==(const DisplaySummary&) const = default;
};

} // namespace morvanta
