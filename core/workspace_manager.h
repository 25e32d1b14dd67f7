// WorkspaceManager: the tiling model's whole state as one plain value. It knows which
// workspaces exist, how they are shared out between the connected displays and which one each
// display shows, where every tracked window belongs, which window has focus and which float;
// and it turns all of that into the layout plan the controller applies. Every operation is
// total: when its preconditions do not hold it changes nothing.
#pragma once

#include "core/direction.h"
#include "core/display_id.h"
#include "core/geometry.h"
#include "core/layout_kind.h"
#include "core/layout_options.h"
#include "core/results.h"
#include "core/window_id.h"
#include "core/workspace.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace morvanta {

class WorkspaceManager {
public:
    explicit WorkspaceManager(LayoutKind defaultLayout);

    // Letter workspaces that exist (101 … 126), ascending.
    const std::vector<int>& letterWorkspaces() const { return letterWorkspaces_; }
    // Connected displays; the first is the fallback display.
    const std::vector<DisplayID>& displays() const { return displays_; }
    std::optional<WindowID> focused() const { return focused_; }
    LayoutKind defaultLayout() const { return defaultLayout_; }
    // Stored records; a number without one behaves as a fresh record.
    const std::map<int, Workspace>& workspaces() const { return workspaces_; }
    // The user's explicit display of a workspace; may name displays that are not connected.
    const std::map<int, DisplayID>& assignment() const { return assignment_; }
    // The effective display of every existing workspace; empty while no display is connected.
    const std::map<int, DisplayID>& owners() const { return owners_; }
    // The workspace each display shows.
    const std::map<DisplayID, int>& active() const { return active_; }
    std::optional<int> previous() const { return previous_; }
    const std::map<WindowID, int>& locations() const { return locations_; }
    const std::set<WindowID>& floatingWindows() const { return floatingWindows_; }
    // Stored records keep their layouts.
    void setDefaultLayout(LayoutKind kind) { defaultLayout_ = kind; }

    // Workspaces and displays.
    std::vector<int> allWorkspaceNumbers() const;
    std::optional<DisplayID> displayForWorkspace(int number) const;
    std::vector<int> workspacesOnDisplay(const DisplayID& display) const;
    int activeWorkspaceNumber(const DisplayID& display) const;
    Workspace workspaceRecord(int number) const;
    Workspace activeWorkspace(const DisplayID& display) const;
    std::map<std::string, std::string> assignmentStrings() const;
    std::map<std::string, std::string> layoutStrings() const;
    void setDisplays(const std::vector<DisplayID>& displays);
    void resetAssignments();
    bool moveWorkspace(int number, const DisplayID& display);
    void applyAssignmentStrings(const std::map<std::string, std::string>& strings);
    void setLetterWorkspaces(const std::vector<int>& numbers);
    void setLayout(LayoutKind kind, int number);
    void applyLayoutStrings(const std::map<std::string, std::string>& strings);
    void switchToWorkspace(int number);
    void switchToPrevious();

    // Windows, focus and planning.
    std::set<WindowID> trackedWindows() const;
    std::optional<int> workspaceNumberOf(WindowID window) const;
    std::optional<WindowLocation> locationOf(WindowID window) const;
    bool isVisible(WindowID window) const;
    int addWindow(WindowID window, const DisplayID& display,
                  std::optional<int> preferred = std::nullopt);
    std::optional<int> removeWindow(WindowID window);
    void moveWindow(WindowID window, int number);
    void swapWindows(WindowID a, WindowID b);
    bool isFloating(WindowID window) const;
    void setFloating(WindowID window, bool on);
    void setFocused(std::optional<WindowID> window);
    std::optional<WindowID> neighbor(WindowID window, Direction direction,
                                     const std::map<WindowID, Rect>& frames) const;
    ResizeOutcome applyResize(WindowID window, const Rect& planned, const Rect& current,
                              const std::map<WindowID, Rect>& frames);
    LayoutPlan plan(const std::map<DisplayID, Rect>& screens,
                    const std::map<WindowID, Size>& minimumSizes,
                    const LayoutOptions& options) const;

    bool operator==(const WorkspaceManager&) const = default;

private:
    bool workspaceExists(int number) const;
    bool isConnected(const DisplayID& display) const;
    // The stored record of `number`, created fresh with the default layout when missing.
    Workspace& storedRecord(int number);
    void insertWindow(WindowID window, int number);
    void detachWindow(WindowID window, int number);
    // Moves every window of `from`'s stored record, in order, to the end of `target`.
    void moveAllWindows(int from, int target);
    void recomputeOwners();
    void activate(int number, const DisplayID& display);

    std::vector<int> letterWorkspaces_;
    std::vector<DisplayID> displays_;
    std::optional<WindowID> focused_;
    LayoutKind defaultLayout_;
    std::map<int, Workspace> workspaces_;
    std::map<int, DisplayID> assignment_;
    std::map<int, DisplayID> owners_;
    std::map<DisplayID, int> active_;
    std::optional<int> previous_;
    std::map<WindowID, int> locations_;
    std::set<WindowID> floatingWindows_;
};

} // namespace morvanta
