// DiagnosticPayload: one crash or hang report as CrashReports::didReceive is given it: the
// report's JSON, the counts of crash and hang diagnostics it holds, and its end time (whole
// seconds since 1970), which names the file it is saved under.
//
// A crash report's JSON: kind "crash", signal, signalName, signalCode, faultAddress, thread
// ("main" or "other"), pid, time, timeText, version, build, backtrace (one text per frame).
// A hang report's JSON: kind "hang", hangDuration (seconds), ended (false when the process
// ended before the main thread turned again), startTime, time, timeText, pid, version, build,
// backtrace (the main thread's frames while it stalled).
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace morvanta {

struct DiagnosticPayload {
    nlohmann::json json;
    std::int64_t endTime = 0;
    int crashCount = 0;
    int hangCount = 0;

    // Reads the record the crash handler writes ("key value" lines, then "backtrace" and one
    // line per frame); none when the text is not a complete record.
    static std::optional<DiagnosticPayload> fromCrashRecord(std::string_view text);
    // Reads a hang report's JSON; none when it is malformed or lacks the kind or the time.
    static std::optional<DiagnosticPayload> fromHangReport(std::string_view text);
    // Wraps a hang report built in this process.
    static DiagnosticPayload hang(nlohmann::json report);

    // "SIGSEGV" and friends; "signal N" for others.
    static std::string signalName(int signal);
    // "2024-05-01T12:00:00Z".
    static std::string utcText(std::int64_t secondsSince1970);
};

} // namespace morvanta
