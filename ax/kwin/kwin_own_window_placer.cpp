#include "ax/kwin/kwin_own_window_placer.h"

#include "ax/kwin/kwin_window_system.h"

#include <algorithm>

namespace morvanta {

void KWinOwnWindowPlacer::centreOnPointerScreen(const std::string& caption, double topFraction) {
    KWinCommand command;
    command.op = KWinCommand::Op::place;
    command.pid = system_.ownPid();
    command.caption = caption;
    command.amount = std::clamp(topFraction, 0.0, 1.0);
    system_.queueCommand(std::move(command));
}

} // namespace morvanta
