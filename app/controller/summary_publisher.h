// SummaryPublisher: the controller's answers about displays for the user interface: which
// display the user is working on, a display's name, and the per-display summaries and menu
// workspace number it publishes after every apply.
#pragma once

#include "app/controller/controller_state.h"

#include <optional>
#include <string>

namespace morvanta {

class MouseMonitor;

class SummaryPublisher {
public:
    // `mouse` may be null: the pointer then never decides the current display.
    SummaryPublisher(ControllerState& state, MouseMonitor* mouse) : state_(state), mouse_(mouse) {}

    // The display of the focused window, else the display last worked on, else the screen
    // under the pointer, else the first screen; none without screens.
    std::optional<DisplayID> currentDisplay();
    // The screen's own name, or the identifier's text when no screen has it.
    std::string screenName(const DisplayID& display);
    // Publishes one summary per display in the model's order, the current display's
    // workspace number (1 without a display) and the focused window.
    void publish();

private:
    ControllerState& state_;
    MouseMonitor* mouse_;
};

} // namespace morvanta
