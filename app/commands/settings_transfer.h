// SettingsTransfer: saving every setting to a settings file and loading one back, without any
// dialog. The export gathers the settings store and the shortcut bindings into a SettingsFile
// and writes it atomically. The import reads and checks the whole file and works out the
// complete plan before the first setting changes, so a refused file changes nothing; then it
// replaces the settings in a fixed order: letter workspaces (through the controller, so their
// windows move and their keys follow), layout and gaps, names, app rules, the border, the
// per-workspace layouts and displays (through the controller), the shortcut style, the
// bindings, the shortcut switch, and a log line.
//
// SettingsTransferDialogs puts the user's dialogs around it. Main thread only.
#pragma once

#include "app/commands/shortcut_actions.h"
#include "app/controller/tiling_controller.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/settings/app_settings.h"
#include "app/settings/settings_file.h"
#include "app/settings/settings_import_plan.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace morvanta {

class SettingsTransfer {
public:
    using Clock = std::function<SettingsFileTime()>;

    // The outcome of reading a file: the checked document, or the text that explains why it
    // cannot be imported (a read error, or a SettingsTransferError's description).
    struct Reading {
        std::optional<SettingsFile> file;
        std::string error;
    };

    // appVersion goes into exported files (none leaves the member out); `now` gives the export
    // time (the system clock when empty).
    SettingsTransfer(AppSettings& settings, TilingController& controller, ShortcutActions& actions,
                     DiagnosticsLog& log, std::optional<std::string> appVersion = buildVersion(),
                     Clock now = {});

    // The version this program was built as.
    static std::string buildVersion();

    // The document for the current settings and bindings.
    SettingsFile makeSettingsFile();
    // Writes the document to the file atomically and logs it. None on success, otherwise
    // the description of what went wrong (the old file, if any, is untouched).
    std::optional<std::string> exportTo(const std::filesystem::path& file);

    Reading read(const std::filesystem::path& file) const;
    static Reading readBytes(std::string_view bytes);

    // Replaces the settings with the document's.
    void applySettingsFile(const SettingsFile& file);
    // Reads, checks and applies a file without asking. None on success, otherwise why it was
    // refused; a refused file changes nothing.
    std::optional<std::string> importFrom(const std::filesystem::path& file);
    std::optional<std::string> importBytes(std::string_view bytes);

private:
    void apply(const SettingsImportPlan& plan);
    void applyLetterWorkspaces(const std::vector<int>& wanted);
    void applyBindings(const SettingsImportPlan& plan);

    AppSettings& settings_;
    TilingController& controller_;
    ShortcutActions& actions_;
    DiagnosticsLog& log_;
    std::optional<std::string> appVersion_;
    Clock now_;
};

} // namespace morvanta
