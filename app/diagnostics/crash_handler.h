// CrashHandler: the process-wide handler for fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGABRT). It writes a crash record into the pending-reports folder for the next launch to
// deliver, then lets the signal's default action end the process as it would have.
//
// The handler itself uses only async-signal-safe calls: the folder is opened, the version
// texts are copied and backtrace() is primed (so it does not load its unwinder, which
// allocates) when the handler is installed. The record is written as "crash-<pid>.partial"
// and renamed to "crash-<pid>.report" once complete, so a half-written one is recognisable.
// It runs on an alternate signal stack so a stack overflow is reported too.
#pragma once

#include <filesystem>

namespace morvanta {

class CrashHandler {
public:
    // Installs the handler for the calling (main) thread's process; false when the folder
    // cannot be created or opened. Installing again moves the records to the new folder.
    static bool install(const std::filesystem::path& pendingFolder);
    // Restores the signal actions that were in place before install().
    static void uninstall();
    static bool installed();
};

} // namespace morvanta
