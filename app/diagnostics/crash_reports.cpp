#include "app/diagnostics/crash_reports.h"

#include "app/diagnostics/crash_handler.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/diagnostics/write_all.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace morvanta {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::int64_t secondsSince1970(std::chrono::system_clock::time_point time) {
    return std::chrono::floor<std::chrono::seconds>(time).time_since_epoch().count();
}

// Creates the file only when no file of that name exists, so no report replaces another.
bool writeNewFile(const fs::path& path, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes);
    bool ok = ::close(fd) == 0 && written;
    if (!ok) {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
    return ok;
}

} // namespace

CrashReports::CrashReports() : CrashReports(DiagnosticsLog::stateFolder()) {}

CrashReports::CrashReports(std::optional<fs::path> stateFolder) {
    if (!stateFolder)
        return;
    folder_ = *stateFolder / "Diagnostics";
    pending_.emplace(*folder_ / "Pending");
}

CrashReports::~CrashReports() {
    stop();
}

std::optional<fs::path> CrashReports::pendingFolder() const {
    if (!pending_)
        return std::nullopt;
    return pending_->folder();
}

void CrashReports::start(std::chrono::milliseconds hangLimit) {
    if (!pending_ || watchdog_)
        return;
    deliverPendingReports();
    handlerInstalled_ = CrashHandler::install(pending_->folder());
    if (!handlerInstalled_)
        say("⚠️ Crash reports are off: could not open " + pending_->folder().string() + ".");
    watchdog_ = std::make_unique<HangWatchdog>(
        hangLimit, [this](const HangWatchdog::Stall& stall) { recordStall(stall); });
}

void CrashReports::stop() {
    watchdog_.reset();
    if (handlerInstalled_)
        CrashHandler::uninstall();
    handlerInstalled_ = false;
}

void CrashReports::turnStarted() {
    if (watchdog_)
        watchdog_->turnStarted();
}

void CrashReports::turnEnded() {
    if (!watchdog_)
        return;
    if (auto stall = watchdog_->turnEnded())
        deliverStall(*stall);
}

std::vector<fs::path> CrashReports::didReceive(const std::vector<DiagnosticPayload>& payloads) {
    std::vector<fs::path> saved;
    int crashes = 0;
    int hangs = 0;
    if (folder_) {
        std::error_code ignored;
        fs::create_directories(*folder_, ignored);
    }
    for (const DiagnosticPayload& payload : payloads) {
        crashes += payload.crashCount;
        hangs += payload.hangCount;
        fs::path file;
        if (folder_) {
            std::string bytes =
                payload.json.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
            // Two reports ending in the same second get "-2", "-3", … rather than one
            // replacing the other.
            std::string stem = "diagnostic-" + std::to_string(payload.endTime);
            for (int attempt = 1; attempt < 1000 && file.empty(); ++attempt) {
                fs::path candidate = uniqueName(stem, ".json");
                if (writeNewFile(candidate, bytes))
                    file = candidate;
                else if (errno != EEXIST)
                    break;
            }
        }
        saved.push_back(file);
    }
    say(receivedMessageStart + std::to_string(crashes) + " crash(es), " + std::to_string(hangs) +
        " hang(s). Saved in " + (folder_ ? folder_->string() : std::string("?")) + ".");
    return saved;
}

void CrashReports::deliverPendingReports() {
    std::error_code ignored;
    fs::create_directories(*folder_, ignored);
    PendingReports::Collection found = pending_->collect(getpid());
    for (const fs::path& file : found.unreadable)
        setAside(file);
    if (found.reports.empty())
        return;
    std::vector<DiagnosticPayload> payloads;
    for (const auto& report : found.reports)
        payloads.push_back(report.payload);
    std::vector<fs::path> saved = didReceive(payloads);
    // A report that could not be saved stays pending for the next launch.
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (!saved[i].empty())
            fs::remove(found.reports[i].file, ignored);
    }
}

void CrashReports::setAside(const fs::path& file) {
    std::string name = file.filename().string();
    fs::path target = uniqueName("unreadable-" + name, "");
    std::error_code error;
    fs::rename(file, target, error);
    if (error)
        say("⚠️ Could not read the pending diagnostic report “" + name + "”; it stays in " +
            file.parent_path().string() + ".");
    else
        say("⚠️ Could not read the pending diagnostic report “" + name + "”; kept it as " +
            target.string() + ".");
}

void CrashReports::recordStall(const HangWatchdog::Stall& stall) const {
    pending_->writeHang(hangReport(stall, false), static_cast<unsigned>(stall.turn));
}

void CrashReports::deliverStall(const HangWatchdog::Stall& stall) {
    std::vector<fs::path> saved = didReceive({DiagnosticPayload::hang(hangReport(stall, true))});
    std::error_code ignored;
    fs::path pendingFile =
        pending_->folder() / ("hang-" + std::to_string(getpid()) + "-" +
                              std::to_string(static_cast<unsigned>(stall.turn)) + ".json");
    if (!saved.front().empty())
        fs::remove(pendingFile, ignored);
}

json CrashReports::hangReport(const HangWatchdog::Stall& stall, bool ended) const {
    auto lengthMs = std::chrono::duration_cast<std::chrono::milliseconds>(stall.length);
    std::int64_t end = secondsSince1970(stall.started + lengthMs);
    return {{"kind", "hang"},
            {"hangDuration", std::round(stall.length.count() * 1000.0) / 1000.0},
            {"ended", ended},
            {"startTime", secondsSince1970(stall.started)},
            {"time", end},
            {"timeText", DiagnosticPayload::utcText(end)},
            {"pid", static_cast<std::int64_t>(getpid())},
            {"thread", "main"},
            {"version", SystemFacts::appVersion()},
            {"build", SystemFacts::appBuild()},
            {"backtrace", stall.backtrace}};
}

fs::path CrashReports::uniqueName(const std::string& stem, const std::string& extension) const {
    std::error_code ignored;
    fs::path candidate = *folder_ / (stem + extension);
    for (int number = 2; fs::exists(candidate, ignored) && number < 1000; ++number)
        candidate = *folder_ / (stem + "-" + std::to_string(number) + extension);
    return candidate;
}

void CrashReports::say(const std::string& message) const {
    if (log_ != nullptr)
        log_->append(message);
}

} // namespace morvanta
