// SettingsFile: the JSON document settings are exported to and imported from. Workspaces
// appear in it by label (1 … 9, A … Z) rather than by internal number, so the file reads the
// same to a person and on every machine.
//
// Encoding writes every member (appVersion only when known) with sorted keys, pretty printed,
// exportedAt in ISO 8601 UTC. Reading requires every member except appVersion with its JSON
// kind, and refuses the whole document on the first fault: nothing is half-read. Values inside
// a well-formed document are not range-checked here; the import plan decides what to keep.
#pragma once

#include "app/settings/settings_file_time.h"
#include "app/settings/settings_transfer_error.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvanta {

struct SettingsFile {
    using StringMap = std::map<std::string, std::string>;

    static constexpr std::int64_t currentFormat = 1;
    static constexpr const char* appName = "Morvanta";
    static constexpr const char* defaultFileName = "Morvanta Settings.json";
    // Anything larger is no settings file; refusing it early keeps a mistaken pick (a disk
    // image, a video) from being read into memory.
    static constexpr std::uintmax_t maxFileBytes = 8 * 1024 * 1024;

    struct Rule {
        std::string bundleID;
        std::string appName;
        std::optional<std::string> workspace; // a label
        bool floating = false;
        bool noBorder = false;
        bool operator==(const Rule&) const = default;
    };

    // A key binding in the hot-key service's own form.
    struct Binding {
        int carbonKeyCode = 0;
        int carbonModifiers = 0;
        bool operator==(const Binding&) const = default;
    };

    std::int64_t format = currentFormat;
    std::string app = appName;
    std::optional<std::string> appVersion;
    SettingsFileTime exportedAt{};
    std::string defaultLayout;
    double innerGap = 0;
    double outerGap = 0;
    double mainRatio = 0;
    std::vector<std::string> workspaceNames;
    std::vector<std::string> letterWorkspaces;
    StringMap letterWorkspaceNames;
    StringMap layouts;
    StringMap screens;
    std::vector<Rule> appRules;
    bool borderEnabled = true;
    double borderWidth = 0;
    std::string borderColor;
    bool hideBorderWhileDragging = false;
    bool shortcutsEnabled = true;
    std::string shortcutStyle;
    // Action name → binding; none for an unbound action.
    std::map<std::string, std::optional<Binding>> shortcuts;

    bool operator==(const SettingsFile&) const = default;

    // A workspace's label: its digit, or its letter for 101 … 126.
    static std::string label(int number);
    // The workspace a label names: a decimal integer 1 … 9, or one letter A … Z in either
    // case (101 … 126). None for anything else ("12", "B1", "").
    static std::optional<int> numberFromLabel(std::string_view label);
};

// The file's text: pretty printed, keys sorted, UTF-8, ending in a newline.
std::string encodeSettingsFile(const SettingsFile& file);

// The document in `bytes`, or why it is refused. A document whose `app` is "Morvanta" and
// whose integer `format` is above the current one is refused as newerFormat even when its
// other members no longer read as this format's: it is from a newer Morvanta, not from
// another program.
struct SettingsFileReading {
    std::optional<SettingsFile> file;
    std::optional<SettingsTransferError> error;
};
SettingsFileReading readSettingsFile(std::string_view bytes);

} // namespace morvanta
