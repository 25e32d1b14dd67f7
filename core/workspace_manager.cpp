#include "core/workspace_manager.h"

#include "core/directional_score.h"
#include "core/layout_planner.h"
#include "core/owner_split.h"
#include "core/resize_interpreter.h"
#include "core/workspace_numbers.h"

#include <algorithm>
#include <string_view>

namespace morvanta {

WorkspaceManager::WorkspaceManager(LayoutKind defaultLayout) : defaultLayout_(defaultLayout) {}

// ---- Queries ----

bool WorkspaceManager::workspaceExists(int number) const {
    return isDigitWorkspace(number) ||
           std::binary_search(letterWorkspaces_.begin(), letterWorkspaces_.end(), number);
}

bool WorkspaceManager::isConnected(const DisplayID& display) const {
    return std::find(displays_.begin(), displays_.end(), display) != displays_.end();
}

std::vector<int> WorkspaceManager::allWorkspaceNumbers() const {
    std::vector<int> numbers{1, 2, 3, 4, 5, 6, 7, 8, 9};
    numbers.insert(numbers.end(), letterWorkspaces_.begin(), letterWorkspaces_.end());
    return numbers;
}

std::optional<DisplayID> WorkspaceManager::displayForWorkspace(int number) const {
    if (const auto owner = owners_.find(number); owner != owners_.end())
        return owner->second;
    if (!displays_.empty())
        return displays_.front();
    return std::nullopt;
}

std::vector<int> WorkspaceManager::workspacesOnDisplay(const DisplayID& display) const {
    std::vector<int> numbers;
    for (int number : allWorkspaceNumbers()) {
        const auto owner = owners_.find(number);
        if (owner != owners_.end() && owner->second == display)
            numbers.push_back(number);
    }
    return numbers;
}

int WorkspaceManager::activeWorkspaceNumber(const DisplayID& display) const {
    if (const auto shown = active_.find(display); shown != active_.end())
        return shown->second;
    const std::vector<int> owned = workspacesOnDisplay(display);
    return owned.empty() ? 1 : owned.front();
}

Workspace WorkspaceManager::workspaceRecord(int number) const {
    if (const auto record = workspaces_.find(number); record != workspaces_.end())
        return record->second;
    return Workspace{number, defaultLayout_, {}, {}};
}

Workspace WorkspaceManager::activeWorkspace(const DisplayID& display) const {
    return workspaceRecord(activeWorkspaceNumber(display));
}

std::map<std::string, std::string> WorkspaceManager::assignmentStrings() const {
    std::map<std::string, std::string> strings;
    for (const auto& [number, display] : assignment_)
        strings.emplace(std::to_string(number), display.raw);
    return strings;
}

std::map<std::string, std::string> WorkspaceManager::layoutStrings() const {
    std::map<std::string, std::string> strings;
    for (const auto& [number, record] : workspaces_)
        strings.emplace(std::to_string(number), std::string(rawValue(record.layout)));
    return strings;
}

// ---- Record bookkeeping ----

Workspace& WorkspaceManager::storedRecord(int number) {
    return workspaces_.try_emplace(number, Workspace{number, defaultLayout_, {}, {}}).first->second;
}

void WorkspaceManager::insertWindow(WindowID window, int number) {
    storedRecord(number).windows.push_back(window);
    locations_[window] = number;
}

void WorkspaceManager::detachWindow(WindowID window, int number) {
    const auto record = workspaces_.find(number);
    if (record != workspaces_.end()) {
        std::erase(record->second.windows, window);
        record->second.weights.erase(window);
    }
    locations_.erase(window);
}

void WorkspaceManager::moveAllWindows(int from, int target) {
    const auto record = workspaces_.find(from);
    if (record == workspaces_.end() || record->second.windows.empty() || from == target)
        return;
    const std::vector<WindowID> windows = std::move(record->second.windows);
    record->second.windows.clear();
    record->second.weights.clear();
    for (WindowID window : windows) {
        locations_.erase(window);
        insertWindow(window, target);
    }
}

// ---- Owners ----

void WorkspaceManager::recomputeOwners() {
    if (displays_.empty()) {
        owners_.clear();
        return;
    }
    owners_ = OwnerSplit(displays_, allWorkspaceNumbers(), assignment_).owners();

    for (const DisplayID& display : displays_) {
        const auto shown = active_.find(display);
        if (shown != active_.end()) {
            const auto owner = owners_.find(shown->second);
            if (owner != owners_.end() && owner->second == display)
                continue;
        }
        const std::vector<int> owned = workspacesOnDisplay(display);
        if (owned.empty())
            active_.erase(display);
        else
            active_[display] = owned.front();
    }
    if (previous_ && !owners_.contains(*previous_))
        previous_.reset();
}

// ---- Displays and assignments ----

void WorkspaceManager::setDisplays(const std::vector<DisplayID>& displays) {
    // The workspace that was on screen on each unplugged display. A display that owned no
    // workspace showed nothing, so it strands nothing.
    std::vector<int> stranded;
    if (!displays.empty() && !owners_.empty()) {
        for (const DisplayID& old : displays_) {
            if (std::find(displays.begin(), displays.end(), old) != displays.end())
                continue;
            const int shown = activeWorkspaceNumber(old);
            const auto owner = owners_.find(shown);
            if (owner != owners_.end() && owner->second == old)
                stranded.push_back(shown);
        }
    }
    displays_ = displays;
    std::erase_if(active_, [&](const auto& entry) { return !isConnected(entry.first); });
    recomputeOwners();
    // Windows that were on screen come back on the display that took over their workspace,
    // in whatever that display shows now.
    for (int number : stranded) {
        const std::optional<DisplayID> target = displayForWorkspace(number);
        if (!target)
            continue;
        moveAllWindows(number, activeWorkspaceNumber(*target));
    }
}

void WorkspaceManager::resetAssignments() {
    assignment_.clear();
    recomputeOwners();
}

bool WorkspaceManager::moveWorkspace(int number, const DisplayID& display) {
    if (!workspaceExists(number) || !isConnected(display))
        return false;
    const auto owner = owners_.find(number);
    if (owner == owners_.end() || owner->second == display ||
        workspacesOnDisplay(owner->second).size() < 2)
        return false;
    // Freeze the current split so every display keeps its other workspaces.
    for (int m : allWorkspaceNumbers()) {
        const auto chosen = assignment_.find(m);
        if (chosen != assignment_.end() && isConnected(chosen->second))
            continue;
        if (const auto current = owners_.find(m); current != owners_.end())
            assignment_[m] = current->second;
        else
            assignment_.erase(m);
    }
    assignment_[number] = display;
    recomputeOwners();
    return true;
}

void WorkspaceManager::applyAssignmentStrings(const std::map<std::string, std::string>& strings) {
    for (const auto& [key, raw] : strings)
        if (const std::optional<int> number = workspaceNumberFromKey(key))
            assignment_[*number] = DisplayID{raw};
    recomputeOwners();
}

// ---- Letter workspaces and layouts ----

void WorkspaceManager::setLetterWorkspaces(const std::vector<int>& numbers) {
    std::vector<int> letters;
    for (int number : numbers)
        if (isLetterWorkspace(number))
            letters.push_back(number);
    std::sort(letters.begin(), letters.end());
    letters.erase(std::unique(letters.begin(), letters.end()), letters.end());

    struct Removed {
        int number;
        std::optional<DisplayID> display;
    };
    std::vector<Removed> removed;
    for (int old : letterWorkspaces_) {
        if (std::binary_search(letters.begin(), letters.end(), old))
            continue;
        const auto owner = owners_.find(old);
        removed.push_back({old, owner != owners_.end() ? std::optional(owner->second)
                                : displays_.empty()    ? std::nullopt
                                                       : std::optional(displays_.front())});
    }
    letterWorkspaces_ = std::move(letters);
    for (const Removed& gone : removed) {
        std::erase_if(active_, [&](const auto& entry) { return entry.second == gone.number; });
        if (previous_ == gone.number)
            previous_.reset();
        assignment_.erase(gone.number);
    }
    recomputeOwners();
    // A removed workspace's windows go to what its display shows now.
    for (const Removed& gone : removed) {
        const int target = gone.display ? activeWorkspaceNumber(*gone.display) : 1;
        moveAllWindows(gone.number, target);
        workspaces_.erase(gone.number);
    }
}

void WorkspaceManager::setLayout(LayoutKind kind, int number) {
    Workspace& record = storedRecord(number);
    if (record.layout != kind)
        record.weights.clear();
    record.layout = kind;
}

void WorkspaceManager::applyLayoutStrings(const std::map<std::string, std::string>& strings) {
    for (const auto& [key, raw] : strings) {
        const std::optional<int> number = workspaceNumberFromKey(key);
        const std::optional<LayoutKind> kind = layoutKindFromRaw(raw);
        if (number && kind)
            setLayout(*kind, *number);
    }
}

// ---- Switching ----

void WorkspaceManager::activate(int number, const DisplayID& display) {
    const auto focusedAt = focused_ ? locations_.find(*focused_) : locations_.end();
    if (focusedAt != locations_.end()) {
        if (focusedAt->second != number)
            previous_ = focusedAt->second;
    } else if (const int current = activeWorkspaceNumber(display); current != number) {
        previous_ = current;
    }
    active_[display] = number;
}

void WorkspaceManager::switchToWorkspace(int number) {
    if (!workspaceExists(number))
        return;
    const std::optional<DisplayID> display = displayForWorkspace(number);
    if (!display)
        return;
    activate(number, *display);
    const auto record = workspaces_.find(number);
    static const std::vector<WindowID> none;
    const std::vector<WindowID>& windows =
        record != workspaces_.end() ? record->second.windows : none;
    if (focused_ && std::find(windows.begin(), windows.end(), *focused_) != windows.end())
        return;
    focused_ = windows.empty() ? std::nullopt : std::optional(windows.front());
}

void WorkspaceManager::switchToPrevious() {
    if (previous_)
        switchToWorkspace(*previous_);
}

} // namespace morvanta

// ---- Windows ----

namespace morvanta {

std::set<WindowID> WorkspaceManager::trackedWindows() const {
    std::set<WindowID> windows;
    for (const auto& entry : locations_)
        windows.emplace_hint(windows.end(), entry.first);
    return windows;
}

std::optional<int> WorkspaceManager::workspaceNumberOf(WindowID window) const {
    const auto location = locations_.find(window);
    if (location == locations_.end())
        return std::nullopt;
    return location->second;
}

std::optional<WindowLocation> WorkspaceManager::locationOf(WindowID window) const {
    const std::optional<int> number = workspaceNumberOf(window);
    if (!number)
        return std::nullopt;
    const std::optional<DisplayID> display = displayForWorkspace(*number);
    if (!display)
        return std::nullopt;
    return WindowLocation{*display, *number};
}

bool WorkspaceManager::isVisible(WindowID window) const {
    const std::optional<int> number = workspaceNumberOf(window);
    if (!number)
        return false;
    const std::optional<DisplayID> display = displayForWorkspace(*number);
    return display && activeWorkspaceNumber(*display) == *number;
}

int WorkspaceManager::addWindow(WindowID window, const DisplayID& display,
                                std::optional<int> preferred) {
    if (const std::optional<int> current = workspaceNumberOf(window))
        return *current;
    if (!isConnected(display)) {
        std::vector<DisplayID> extended = displays_;
        extended.push_back(display);
        setDisplays(extended);
    }
    const int number =
        preferred && workspaceExists(*preferred) ? *preferred : activeWorkspaceNumber(display);
    insertWindow(window, number);
    return number;
}

std::optional<int> WorkspaceManager::removeWindow(WindowID window) {
    floatingWindows_.erase(window);
    // A window that is gone cannot keep focus, tracked or not.
    if (focused_ == window)
        focused_.reset();
    const std::optional<int> number = workspaceNumberOf(window);
    if (number)
        detachWindow(window, *number);
    return number;
}

void WorkspaceManager::moveWindow(WindowID window, int number) {
    const std::optional<int> source = workspaceNumberOf(window);
    if (!workspaceExists(number) || !source || *source == number)
        return;
    const std::optional<DisplayID> sourceDisplay = displayForWorkspace(*source);
    detachWindow(window, *source);
    insertWindow(window, number);
    if (focused_ != window)
        return;
    const std::optional<DisplayID> targetDisplay = displayForWorkspace(number);
    if (targetDisplay && activeWorkspaceNumber(*targetDisplay) == number)
        return; // still on screen: focus follows it
    if (!sourceDisplay)
        return;
    // Focus stays where the user is looking: the first window of what the source display shows.
    const auto shown = workspaces_.find(activeWorkspaceNumber(*sourceDisplay));
    if (shown == workspaces_.end() || shown->second.windows.empty())
        focused_.reset();
    else
        focused_ = shown->second.windows.front();
}

void WorkspaceManager::swapWindows(WindowID a, WindowID b) {
    const std::optional<int> sa = workspaceNumberOf(a);
    const std::optional<int> sb = workspaceNumberOf(b);
    if (a == b || !sa || !sb)
        return;
    const auto recordA = workspaces_.find(*sa);
    const auto recordB = workspaces_.find(*sb);
    if (recordA == workspaces_.end() || recordB == workspaces_.end())
        return;
    std::vector<WindowID>& windowsA = recordA->second.windows;
    std::vector<WindowID>& windowsB = recordB->second.windows;
    const auto i = std::find(windowsA.begin(), windowsA.end(), a);
    const auto j = std::find(windowsB.begin(), windowsB.end(), b);
    if (i == windowsA.end() || j == windowsB.end())
        return;
    *i = b;
    *j = a;
    locations_[a] = *sb;
    locations_[b] = *sa;
}

bool WorkspaceManager::isFloating(WindowID window) const {
    return floatingWindows_.contains(window);
}

void WorkspaceManager::setFloating(WindowID window, bool on) {
    if (!locations_.contains(window))
        return;
    if (on)
        floatingWindows_.insert(window);
    else
        floatingWindows_.erase(window);
}

// Focus changed outside the program shows the focused window's workspace on its display.
void WorkspaceManager::setFocused(std::optional<WindowID> window) {
    focused_ = window;
    if (!window)
        return;
    const std::optional<int> number = workspaceNumberOf(*window);
    if (!number)
        return;
    if (const std::optional<DisplayID> display = displayForWorkspace(*number))
        activate(*number, *display);
}

std::optional<WindowID> WorkspaceManager::neighbor(WindowID window, Direction direction,
                                                   const std::map<WindowID, Rect>& frames) const {
    const auto own = frames.find(window);
    const std::optional<WindowLocation> location = locationOf(window);
    if (own == frames.end() || !location)
        return std::nullopt;
    std::optional<WindowID> best;
    double bestScore = 0;
    // Frames come in ascending window order, so keeping the first of equal scores keeps the
    // smaller identity.
    for (const auto& [candidate, frame] : frames) {
        if (candidate == window)
            continue;
        const std::optional<WindowLocation> where = locationOf(candidate);
        if (!where || where->display != location->display)
            continue;
        const std::optional<double> score = directionalScore(direction, frame, own->second);
        if (score && (!best || *score < bestScore)) {
            best = candidate;
            bestScore = *score;
        }
    }
    return best;
}

ResizeOutcome WorkspaceManager::applyResize(WindowID window, const Rect& planned,
                                            const Rect& current,
                                            const std::map<WindowID, Rect>& frames) {
    const std::optional<int> number = workspaceNumberOf(window);
    if (!number)
        return {};
    const auto stored = workspaces_.find(*number);
    if (stored == workspaces_.end())
        return {};
    Workspace& record = stored->second;
    std::vector<WindowID> tiled;
    std::vector<Rect> tiledFrames;
    std::optional<std::size_t> index;
    for (WindowID member : record.windows) {
        if (floatingWindows_.contains(member))
            continue;
        if (member == window)
            index = tiled.size();
        tiled.push_back(member);
        if (const auto frame = frames.find(member); frame != frames.end())
            tiledFrames.push_back(frame->second);
    }
    if (tiledFrames.size() != tiled.size() || tiled.size() < 2 || !index)
        return {};
    const ResizeReading reading =
        ResizeInterpreter(record.layout, std::move(tiledFrames), *index).read(planned, current);
    ResizeOutcome outcome{false, reading.mainRatio};
    for (std::size_t k = 0; k < reading.weights.size(); ++k)
        record.weights[tiled[reading.firstWindow + k]] = reading.weights[k];
    outcome.sizesChanged = !reading.weights.empty();
    return outcome;
}

LayoutPlan WorkspaceManager::plan(const std::map<DisplayID, Rect>& screens,
                                  const std::map<WindowID, Size>& minimumSizes,
                                  const LayoutOptions& options) const {
    return LayoutPlanner(*this, minimumSizes, options).plan(screens);
}

} // namespace morvanta
