#include "app/settings/file_preferences_domain.h"

#include "app/diagnostics/diagnostics_log.h"
#include "app/diagnostics/xdg_folders.h"
#include "app/settings/atomic_file.h"
#include "app/settings/preferences_document.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace morvanta {

namespace {

namespace fs = std::filesystem;

std::string utcStamp() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::size_t length = std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return std::string(text, length);
}

// Reads at most limit + 1 bytes, so an oversized file is noticed without reading it all.
std::optional<std::string> readPrefix(const fs::path& file, std::uintmax_t limit) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(limit) + 1, '\0');
    stream.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (stream.bad())
        return std::nullopt;
    text.resize(static_cast<std::size_t>(stream.gcount()));
    return text;
}

} // namespace

FilePreferencesDomain::FilePreferencesDomain(std::string name, DiagnosticsLog* log)
    : FilePreferencesDomain(std::move(name), configFolder(), log) {}

FilePreferencesDomain::FilePreferencesDomain(std::string name, std::optional<fs::path> folder,
                                             DiagnosticsLog* log)
    : name_(std::move(name)), log_(log) {
    if (folder)
        file_ = *folder / (name_ + ".json");
    else
        warn("⚠️ No configuration folder was found; settings are kept only until Morvanta "
             "quits.");
    load();
}

std::optional<fs::path> FilePreferencesDomain::configFolder() {
    if (auto config = XdgFolders::configHome())
        return *config / "morvanta";
    return std::nullopt;
}

std::optional<PreferenceValue> FilePreferencesDomain::object(std::string_view key) const {
    auto found = values_.find(std::string(key));
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

void FilePreferencesDomain::set(std::string_view key, PreferenceValue value) {
    values_.insert_or_assign(std::string(key), std::move(value));
    save();
}

void FilePreferencesDomain::remove(std::string_view key) {
    values_.erase(std::string(key));
    save();
}

void FilePreferencesDomain::removeDomain() {
    values_.clear();
    if (!file_ || readOnly_)
        return;
    std::error_code code;
    fs::remove(*file_, code);
    if (code)
        warn("⚠️ Settings file " + file_->string() +
             " could not be removed: " + code.message());
    else
        AtomicFile::syncFolder(file_->parent_path());
}

void FilePreferencesDomain::load() {
    if (!file_)
        return;
    AtomicFile::removeStaleTemporaries(*file_);
    struct stat info {};
    if (::lstat(file_->c_str(), &info) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            readOnly_ = true;
            warn("⚠️ Settings file " + file_->string() + " could not be read (" +
                 std::strerror(errno) + "); settings are kept only until Morvanta quits.");
        }
        return;
    }
    if (!S_ISREG(info.st_mode))
        return moveAside("it is not a regular file");
    if (static_cast<std::uintmax_t>(info.st_size) > maxDocumentBytes)
        return moveAside("it is larger than " + std::to_string(maxDocumentBytes) + " bytes");
    // The size may change under us; reading one byte past it notices a file that grew.
    auto text = readPrefix(*file_, static_cast<std::uintmax_t>(info.st_size));
    if (text && text->size() > static_cast<std::uintmax_t>(info.st_size))
        text = readPrefix(*file_, maxDocumentBytes);
    if (!text) {
        readOnly_ = true;
        warn("⚠️ Settings file " + file_->string() + " could not be read (" +
             std::strerror(errno) + "); settings are kept only until Morvanta quits.");
        return;
    }
    if (text->size() > maxDocumentBytes)
        return moveAside("it is larger than " + std::to_string(maxDocumentBytes) + " bytes");
    std::string reason;
    auto values = PreferencesDocument::decode(*text, &reason);
    if (!values)
        return moveAside(reason);
    values_ = std::move(*values);
}

void FilePreferencesDomain::moveAside(const std::string& reason) {
    fs::path aside = file_->string() + ".corrupt-" + utcStamp();
    std::error_code code;
    for (int n = 2; fs::exists(fs::symlink_status(aside, code)); ++n)
        aside = file_->string() + ".corrupt-" + utcStamp() + "-" + std::to_string(n);
    fs::rename(*file_, aside, code);
    if (code) {
        // The damaged file stays where it is, so nothing may overwrite it this run.
        readOnly_ = true;
        warn("⚠️ Settings file " + file_->string() + " is damaged (" + reason +
             ") and could not be moved aside (" + code.message() +
             "); Morvanta starts with default settings and keeps them only until it quits.");
        return;
    }
    AtomicFile::syncFolder(file_->parent_path());
    warn("⚠️ Settings file " + file_->string() + " is damaged (" + reason +
         "); it was kept as " + aside.filename().string() +
         " and Morvanta starts with default settings.");
}

void FilePreferencesDomain::save() {
    if (!file_ || readOnly_)
        return;
    std::string text = PreferencesDocument::encode(values_);
    std::string error;
    bool saved = false;
    if (text.size() > maxDocumentBytes) {
        error = "the settings would exceed " + std::to_string(maxDocumentBytes) + " bytes";
    } else {
        std::error_code code;
        fs::create_directories(file_->parent_path(), code);
        saved = AtomicFile::write(*file_, text, &error);
    }
    // One warning when saving starts to fail, not one per write.
    if (!saved && lastSaveOK_)
        warn("⚠️ Settings could not be saved (" + error +
             "); changes are kept until Morvanta "
             "quits.");
    lastSaveOK_ = saved;
}

void FilePreferencesDomain::warn(const std::string& message) const {
    if (log_ != nullptr)
        log_->append(message);
}

} // namespace morvanta
