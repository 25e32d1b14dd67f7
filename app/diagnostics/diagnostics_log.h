// DiagnosticsLog: the short, timestamped, human-readable record of what Morvanta did.
// The newest 500 lines stay in memory for the diagnostics window; every line is also appended
// to $XDG_STATE_HOME/morvanta/Morvanta.log (~/.local/state when the variable is unset).
// File errors never stop the in-memory log. Main thread only.
#pragma once

#include "core/observer_list.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvanta {

class DiagnosticsLog {
public:
    static constexpr std::size_t maxLines = 500;
    // A log file bigger than this at start is deleted so a new one begins.
    static constexpr std::uintmax_t maxFileBytesAtStart = 1'000'000;

    // Logs into the standard folder (see stateFolder()).
    DiagnosticsLog();
    // Logs into the given folder, or to memory only when none is given.
    explicit DiagnosticsLog(std::optional<std::filesystem::path> folder);

    ~DiagnosticsLog();
    DiagnosticsLog(const DiagnosticsLog&) = delete;
    DiagnosticsLog& operator=(const DiagnosticsLog&) = delete;

    // $XDG_STATE_HOME/morvanta, or ~/.local/state/morvanta; none when neither can be found.
    static std::optional<std::filesystem::path> stateFolder();

    // Builds "[HH:MM:SS] message" in local time, keeps it in memory and appends it to the file.
    void append(std::string_view message);
    // Empties the in-memory lines; the file keeps everything.
    void clear();

    const std::vector<std::string>& lines() const { return lines_; }
    const std::optional<std::filesystem::path>& fileURL() const { return file_; }

    // Observers are called after every change of lines() (an append or a clear).
    using Observer = ObserverList<>::Observer;
    [[nodiscard]] Subscription addObserver(Observer observer) {
        return observers_.add(std::move(observer));
    }

private:
    void writeToFile(const std::string& line);
    void notify();

    std::vector<std::string> lines_;
    std::optional<std::filesystem::path> file_;
    // Kept open between lines; opened again when the file was deleted meanwhile.
    int fd_ = -1;
    ObserverList<> observers_;
};

} // namespace morvanta
