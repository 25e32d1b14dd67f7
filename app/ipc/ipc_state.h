// IpcState: what `morvanta msg state` shows of a running Morvanta: whether tiling is paused,
// every display with the workspace it shows, and every workspace (in the tray's order) with
// its layout and windows. A plain value: the target fills it, the replies print it, and a
// subscription compares two of them to say what kind of change happened.
#pragma once

#include "core/geometry.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace morvanta {

struct IpcState {
    struct Display {
        std::string id;
        std::string name;
        Rect frame;
        std::string workspace; // the label of the workspace it shows
        bool operator==(const Display&) const = default;
    };
    struct Window {
        std::uint32_t id = 0; // the X window id
        std::string app;
        std::string title;
        Rect frame;
        bool floating = false;
        bool focused = false;
        bool operator==(const Window&) const = default;
    };
    struct Workspace {
        int number = 0;      // 1–9, letter workspaces 101–126
        std::string label;   // "1" … "9", "A" … "Z"
        std::string name;    // the user's name for it, or ""
        std::string layout;  // the stored layout name
        std::string display; // the id of the display that owns it, or ""
        std::vector<Window> windows;
        bool operator==(const Workspace&) const = default;
    };

    std::string version;
    bool paused = false;
    std::vector<Display> displays;
    std::vector<Workspace> workspaces;

    nlohmann::ordered_json toJson() const;
    // The kinds of change from `before` to this state, most telling first: "pause",
    // "displays", "workspace", "layout", "windows", "focus". Titles and frames alone are no
    // change.
    std::vector<std::string> changesSince(const IpcState& before) const;

    bool operator==(const IpcState&) const = default;
};

} // namespace morvanta
