// WindowRescue: `morvanta --rescue`. Brings back every window an ended Morvanta left hidden,
// without starting tiling: windows carrying the parking mark go back to the exact frames saved
// in it, and unmarked windows found in a screen's parking corner are centred on their screen.
#pragma once

#include "app/diagnostics/diagnostics_log.h"
#include "ax/window_system.h"

#include <string>

namespace morvanta {

class WindowRescue {
public:
    // Answers the number of windows brought back; the log gets the line naming them.
    static int run(WindowSystem& system, DiagnosticsLog& log);
    // "Brought back 2 hidden window(s)." or "No window was left hidden."
    static std::string summary(int count);
};

} // namespace morvanta
