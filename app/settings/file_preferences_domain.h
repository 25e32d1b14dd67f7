// FilePreferencesDomain: a preferences domain kept as one JSON document (see
// preferences_document.h) at $XDG_CONFIG_HOME/morvanta/<name>.json (~/.config when unset).
//
// The document is read once, at creation. Every write replaces the whole file atomically:
// the new text goes to a temporary file in the same folder, is flushed to disk, renamed over
// the document and the folder is flushed, so a process killed at any instant leaves the old
// or the new document, never a torn one. A document that cannot be used is moved aside to
// "<name>.json.corrupt-<UTC time>" (never deleted), the domain starts empty and the log gets
// a warning line. A document that exists but cannot be read is left alone and this run keeps
// its settings in memory only, so the user's file is never overwritten unseen.
#pragma once

#include "app/settings/preferences_domain.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace morvanta {

class DiagnosticsLog;

class FilePreferencesDomain : public PreferencesDomain {
public:
    static constexpr std::string_view standardDomainName = "org.morvanta.Morvanta";
    static constexpr std::string_view selfTestDomainName = "org.morvanta.Morvanta.selftest";
    // Settings are small; a document beyond this is treated as damaged.
    static constexpr std::uintmax_t maxDocumentBytes = 8 * 1024 * 1024;

    // The domain in the standard folder (configFolder()); log may be null.
    FilePreferencesDomain(std::string name, DiagnosticsLog* log);
    // The domain in the given folder; with none it lives in memory only.
    FilePreferencesDomain(std::string name, std::optional<std::filesystem::path> folder,
                          DiagnosticsLog* log);

    FilePreferencesDomain(const FilePreferencesDomain&) = delete;
    FilePreferencesDomain& operator=(const FilePreferencesDomain&) = delete;

    // $XDG_CONFIG_HOME/morvanta, or ~/.config/morvanta; none when neither can be found.
    static std::optional<std::filesystem::path> configFolder();

    std::optional<PreferenceValue> object(std::string_view key) const override;
    void set(std::string_view key, PreferenceValue value) override;
    void remove(std::string_view key) override;
    void removeDomain() override;

    const std::string& name() const { return name_; }
    // The document's location; none when the domain lives in memory only.
    const std::optional<std::filesystem::path>& filePath() const { return file_; }
    // False while writes cannot reach the file (see the log for why).
    bool persisting() const { return file_.has_value() && !readOnly_ && lastSaveOK_; }

private:
    void load();
    void moveAside(const std::string& reason);
    void removeStaleTemporaries() const;
    void save();
    void warn(const std::string& message) const;

    std::string name_;
    std::optional<std::filesystem::path> file_;
    DiagnosticsLog* log_;
    PreferenceValue::Dictionary values_;
    bool readOnly_ = false;
    bool lastSaveOK_ = true;
};

} // namespace morvanta
