// ControllerCommands: every user command (shortcuts, menu, command panel, settings window,
// displays tab, self-test). Each changes the model, stores what the settings keep, writes its
// log line and lays the windows out again. Commands work in any state: while tiling is stopped
// or paused the model still changes and the windows follow when tiling resumes. Each command
// holds the screen snapshot while it runs: the screens and the focused window are read once
// per command, however many steps ask for them.
#pragma once

#include "app/controller/controller_state.h"

#include <functional>
#include <optional>

namespace morvanta {

class FocusBorder;
class LayoutApplier;
class SummaryPublisher;
class WindowRefresh;

class ControllerCommands {
public:
    ControllerCommands(ControllerState& state, LayoutApplier& applier, SummaryPublisher& summaries,
                       WindowRefresh& refresh, FocusBorder& border)
        : state_(state), applier_(applier), summaries_(summaries), refresh_(refresh),
          border_(border) {}

    // Gives the keyboard to a visible window of the application's own, when it has one;
    // answers whether it did. Empty: it has none.
    std::function<bool()> activateSelf;

    void switchToWorkspace(int number);
    void previousWorkspace();
    void moveFocusedWindow(int number);
    void focusNeighbour(Direction direction);
    void swapWithNeighbour(Direction direction);
    void toggleFloat();
    void adjustMainRatio(double change);
    void setLayout(LayoutKind kind, std::optional<DisplayID> display = std::nullopt);
    void cycleLayout();
    void setLayoutForAllWorkspaces(LayoutKind kind);
    bool assignWorkspace(int number, const DisplayID& display);
    void resetDefaultSplit();
    void setPaused(bool paused);
    void reloadFromSettings(const AppSettings::StringMap& layouts,
                            const AppSettings::StringMap& assignment);
    void focusCurrentWindow();

private:
    // The focused window and its identifier, when the controller tiles it.
    std::optional<std::pair<AXWindow, WindowID>> focusedTiled();
    std::optional<WindowID> neighbourOfFocused(Direction direction);
    void persistLayouts();
    void persistAssignment();

    ControllerState& state_;
    LayoutApplier& applier_;
    SummaryPublisher& summaries_;
    WindowRefresh& refresh_;
    FocusBorder& border_;
};

} // namespace morvanta
