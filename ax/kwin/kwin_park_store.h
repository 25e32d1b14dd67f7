// KWinParkStore: the parking marks of the KWin backend. On KWin Morvanta cannot write properties
// on other programs' windows, so the frame each parked window had before parking lives in a
// state file of Morvanta's own (the application passes $XDG_STATE_HOME/morvanta/kwin-parked.json),
// keyed by KWin's internalId, which outlives script reloads. The file is replaced atomically on
// every change (a temporary in the same folder, flushed, renamed over it, the folder flushed), so
// a crash at any moment leaves the old marks or the new ones. A damaged file is logged and moved
// aside as "<file>.corrupt-<UTC time>", never silently overwritten; the marks it held that can
// still be read are kept.
#pragma once

#include "ax/kwin/kwin_messages.h"
#include "core/geometry.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace morvanta {

class KWinParkStore {
public:
    // The largest state file read; a larger one counts as damaged.
    static constexpr std::uintmax_t maxFileBytes = 4u << 20;

    struct Mark {
        Rect frame; // before parking
        // What the window was, for the log and for a person reading the file.
        std::int32_t pid = 0;
        std::string resourceClass;
        std::string caption;
        bool operator==(const Mark&) const = default;
    };

    // Reads the file (absent: no marks).
    KWinParkStore(std::filesystem::path file, KWinLog log);

    const Mark* find(const std::string& internalId) const;
    const std::map<std::string, Mark>& marks() const { return marks_; }

    // Each writes the file once, and only when something changed.
    void set(const std::vector<std::pair<std::string, Mark>>& marks);
    void erase(const std::vector<std::string>& internalIds);
    // Moves marks to new internalIds (a window KWin knows anew); answers how many moved.
    std::size_t rename(const std::vector<std::pair<std::string, std::string>>& renames);
    // Drops the marks of windows for which `exists` answers false; answers how many went.
    std::size_t prune(const std::function<bool(const std::string&)>& exists);

    const std::filesystem::path& file() const { return file_; }

private:
    void load();
    void moveAside(const std::string& reason);
    void save();
    bool writeAtomically(const std::string& bytes, std::string& error) const;
    void tell(const std::string& line) const {
        if (log_)
            log_(line);
    }

    std::filesystem::path file_;
    KWinLog log_;
    std::map<std::string, Mark> marks_;
    bool readOnly_ = false; // a damaged file that could not be moved aside stays untouched
    bool lastSaveOK_ = true;
};

} // namespace morvanta
