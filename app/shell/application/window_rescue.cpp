#include "app/shell/application/window_rescue.h"

#include "app/controller/controller_state.h"
#include "app/controller/manual_run_loop.h"
#include "app/controller/startup_rescue.h"
#include "app/settings/memory_preferences_domain.h"

namespace morvanta {

int WindowRescue::run(WindowSystem& system, DiagnosticsLog& log) {
    // The rescue reads no setting and schedules nothing: settings in memory leave the user's
    // file untouched, and the run loop is never turned.
    MemoryPreferencesDomain domain;
    AppSettings settings(domain);
    ManualRunLoop loop;
    ControllerState state(system, loop, log, settings);
    return static_cast<int>(StartupRescue(state).run());
}

std::string WindowRescue::summary(int count) {
    if (count == 0)
        return "No window was left hidden.";
    return "Brought back " + std::to_string(count) + " hidden window(s).";
}

} // namespace morvanta
