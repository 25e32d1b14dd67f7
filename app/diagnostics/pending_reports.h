// PendingReports: the folder where crash and hang reports wait to be delivered
// ($XDG_STATE_HOME/morvanta/Pending Reports). The crash handler writes "crash-<pid>.report"
// (via "crash-<pid>.partial"); the hang watchdog writes "hang-<pid>-<n>.json" (via a
// ".partial" file renamed into place). collect() reads what earlier processes left; reports
// of processes still running are left for them.
#pragma once

#include "app/diagnostics/diagnostic_payload.h"

#include <filesystem>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace morvanta {

class PendingReports {
public:
    explicit PendingReports(std::filesystem::path folder);

    const std::filesystem::path& folder() const { return folder_; }

    struct Report {
        std::filesystem::path file;
        DiagnosticPayload payload;
    };
    struct Collection {
        std::vector<Report> reports;
        // Files that could not be read as reports (half-written, damaged, unknown names).
        std::vector<std::filesystem::path> unreadable;
    };
    // Reads every report left by processes that are no longer running; `ownPid` is this
    // process, which must not have written any report yet.
    Collection collect(pid_t ownPid) const;

    // Writes (or replaces) hang report number `number` of this process; answers its path, or
    // none when it could not be written. Safe from any thread.
    std::optional<std::filesystem::path> writeHang(const nlohmann::json& report,
                                                   unsigned number) const;

private:
    std::filesystem::path folder_;
};

} // namespace morvanta
