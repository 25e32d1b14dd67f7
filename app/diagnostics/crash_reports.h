// CrashReports: collects Morvanta's own crash and hang reports and hands them to the user.
//
// start() (at launch, main thread) delivers the reports earlier runs left, installs the crash
// handler for fatal signals and starts the hang watchdog. A crash leaves a record in the
// pending folder that the next launch delivers; a hang is written there as soon as it is
// noticed (so a Morvanta killed while stuck still reports it) and delivered as soon as the
// main thread turns again. Delivery is didReceive: each report is saved as
// "diagnostic-<end time>.json" in the Diagnostics folder and one line announces the delivery
// in the log. Pending files that cannot be read are moved beside the saved reports as
// "unreadable-<name>" with a warning, never deleted.
//
// Folders: $XDG_STATE_HOME/morvanta/Diagnostics and, inside it, Pending.
// The support mail's texts live here too (crash_reports_support_mail.cpp).
#pragma once

#include "app/diagnostics/diagnostic_payload.h"
#include "app/diagnostics/hang_watchdog.h"
#include "app/diagnostics/pending_reports.h"
#include "app/diagnostics/system_facts.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvanta {

class DiagnosticsLog;

class CrashReports {
public:
    // How long one turn of the main thread may take before it counts as a hang.
    static constexpr std::chrono::milliseconds defaultHangLimit{3000};

    // Texts that name the platform, kept together.
    static constexpr const char* receivedMessageStart = "Received crash reports from Linux: ";
    static constexpr const char* osLinePrefix = "\nLinux ";
    static constexpr const char* machineLinePrefix = "\nComputer: ";
    static constexpr const char* pasteHint =
        "\n\nMorvanta has copied its log for you. Please paste it below (Ctrl+V):\n";

    // Uses the standard state folder (see DiagnosticsLog::stateFolder()).
    CrashReports();
    // Uses <stateFolder>/Diagnostics; without a state folder nothing is saved or collected.
    explicit CrashReports(std::optional<std::filesystem::path> stateFolder);
    ~CrashReports();
    CrashReports(const CrashReports&) = delete;
    CrashReports& operator=(const CrashReports&) = delete;

    DiagnosticsLog* log() const { return log_; }
    void setLog(DiagnosticsLog* log) { log_ = log; }
    // The Diagnostics folder the reports are saved in.
    const std::optional<std::filesystem::path>& folder() const { return folder_; }
    std::optional<std::filesystem::path> pendingFolder() const;

    // Delivers the reports earlier runs left, then installs the crash handler and starts the
    // hang watchdog with the given limit. Main thread; once per run.
    void start(std::chrono::milliseconds hangLimit = defaultHangLimit);
    // Stops the watchdog and removes the crash handler (also done on destruction).
    void stop();

    // The main thread's turns, for the hang watchdog: call turnStarted() when the run loop
    // wakes to handle work and turnEnded() before it waits again. turnEnded() delivers a
    // hang that the turn just ended. Cheap; does nothing before start().
    void turnStarted();
    void turnEnded();

    // Saves each payload in folder() and logs the delivery's counts (also when both are 0).
    // Answers the saved files in the payloads' order (an empty path where saving failed).
    std::vector<std::filesystem::path> didReceive(const std::vector<DiagnosticPayload>& payloads);

    // Support mail.
    static std::string supportAddress();
    static std::string supportMailSubject(); // "Morvanta support"
    static std::string supportMailBody(int screenCount);
    static std::string supportMailBody(const SystemFacts& facts);
    // "mailto:<address>?subject=…&body=…" with both values percent-encoded.
    static std::string supportMailURL(int screenCount);
    static std::string machineModel();
    // The alert shown when no mail program opens.
    static std::string mailAlertTitle();
    static std::string mailAlertText();
    static constexpr const char* mailAlertCopyButton = "Copy Address";
    static constexpr const char* mailAlertOkButton = "OK";

private:
    void deliverPendingReports();
    void setAside(const std::filesystem::path& file);
    void recordStall(const HangWatchdog::Stall& stall) const;
    void deliverStall(const HangWatchdog::Stall& stall);
    nlohmann::json hangReport(const HangWatchdog::Stall& stall, bool ended) const;
    std::filesystem::path uniqueName(const std::string& stem, const std::string& extension) const;
    void say(const std::string& message) const;

    DiagnosticsLog* log_ = nullptr;
    std::optional<std::filesystem::path> folder_;
    std::optional<PendingReports> pending_;
    std::unique_ptr<HangWatchdog> watchdog_;
    bool handlerInstalled_ = false;
};

} // namespace morvanta
