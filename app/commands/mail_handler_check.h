// MailHandlerCheck: whether the desktop has a program for mailto links. Opening a mail through
// QDesktopServices only says whether xdg-open started; with no mail program registered it
// starts, finds nothing and fails on its own. So before opening, Morvanta asks xdg-mime, which
// follows the same mimeapps.list files and desktop entries as xdg-open, and waits for its
// answer no longer than a bound: the event loop is held for that long at most.
#pragma once

#include <chrono>

namespace morvanta {

class MailHandlerCheck {
public:
    // `unknown`: xdg-mime is missing, failed or did not answer in time.
    enum class Answer { found, none, unknown };

    static constexpr std::chrono::milliseconds defaultLimit{2000};

    static Answer ask(std::chrono::milliseconds limit = defaultLimit);
};

} // namespace morvanta
