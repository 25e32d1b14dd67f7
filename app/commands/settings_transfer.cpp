#include "app/commands/settings_transfer.h"

#include "app/settings/atomic_file.h"
#include "core/workspace_numbers.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef MORVANTA_VERSION
#define MORVANTA_VERSION ""
#endif

namespace morvanta {

namespace {

std::optional<SettingsFile::Binding> toBinding(const std::optional<Shortcut>& shortcut) {
    if (!shortcut)
        return std::nullopt;
    return SettingsFile::Binding{shortcut->carbonKeyCode, shortcut->carbonModifiers};
}

std::optional<Shortcut> toShortcut(const std::optional<SettingsFile::Binding>& binding) {
    if (!binding)
        return std::nullopt;
    return Shortcut{binding->carbonKeyCode, binding->carbonModifiers};
}

// Number-keyed maps of the store become label-keyed; keys naming no workspace are dropped.
SettingsFile::StringMap byLabel(const AppSettings::StringMap& byNumber) {
    SettingsFile::StringMap out;
    for (const auto& [key, value] : byNumber)
        if (const auto number = workspaceNumberFromKey(key))
            out[workspaceLabel(*number)] = value;
    return out;
}

std::string quoted(const std::filesystem::path& file) {
    return "\u201C" + file.filename().string() + "\u201D";
}

std::string readFailure(const std::filesystem::path& file, int error) {
    return "The file " + quoted(file) + " couldn't be read: " + std::strerror(error) + ".";
}

// Reads a whole file, refusing early anything too large to be a settings file.
SettingsTransfer::Reading readFile(const std::filesystem::path& file, std::string& bytes) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, readFailure(file, errno)};
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return {std::nullopt, readFailure(file, error)};
    }
    if (S_ISREG(status.st_mode) &&
        static_cast<std::uintmax_t>(status.st_size) > SettingsFile::maxFileBytes) {
        ::close(fd);
        return {std::nullopt, description(SettingsTransferError::notMorvanta)};
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return {std::nullopt, readFailure(file, error)};
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        // A file that grows past the limit while being read (a pipe, a device) stops here.
        if (bytes.size() > SettingsFile::maxFileBytes) {
            ::close(fd);
            return {std::nullopt, description(SettingsTransferError::notMorvanta)};
        }
    }
    ::close(fd);
    return {};
}

} // namespace

SettingsTransfer::SettingsTransfer(AppSettings& settings, TilingController& controller,
                                   ShortcutActions& actions, DiagnosticsLog& log,
                                   std::optional<std::string> appVersion, Clock now)
    : settings_(settings), controller_(controller), actions_(actions), log_(log),
      appVersion_(std::move(appVersion)), now_(std::move(now)) {
    if (appVersion_ && appVersion_->empty())
        appVersion_.reset();
}

std::string SettingsTransfer::buildVersion() {
    return MORVANTA_VERSION;
}

SettingsFile SettingsTransfer::makeSettingsFile() {
    SettingsFile file;
    file.appVersion = appVersion_;
    file.exportedAt =
        std::chrono::floor<std::chrono::seconds>(now_ ? now_() : std::chrono::system_clock::now());
    file.defaultLayout = std::string(rawValue(settings_.defaultLayout()));
    file.innerGap = settings_.innerGap();
    file.outerGap = settings_.outerGap();
    file.mainRatio = settings_.mainRatio();
    file.workspaceNames = settings_.workspaceNames();
    for (const int letter : settings_.letterWorkspaces())
        file.letterWorkspaces.push_back(workspaceLabel(letter));
    file.letterWorkspaceNames = settings_.letterWorkspaceNames();
    file.layouts = byLabel(settings_.layoutsByWorkspace());
    file.screens = byLabel(settings_.workspaceDisplays());
    for (const auto& rule : settings_.appRules()) {
        std::optional<std::string> workspace;
        if (rule.workspace)
            workspace = workspaceLabel(*rule.workspace);
        file.appRules.push_back(
            {rule.bundleID, rule.appName, workspace, rule.floating, rule.noBorder});
    }
    file.borderEnabled = settings_.borderEnabled();
    file.borderWidth = settings_.borderWidth();
    file.borderColor = settings_.borderColorHex();
    file.hideBorderWhileDragging = settings_.hideBorderWhileDragging();
    file.shortcutsEnabled = settings_.shortcutsEnabled();
    file.shortcutStyle = std::string(rawValue(settings_.shortcutStyle()));
    auto& keys = actions_.keyboardShortcuts();
    for (const auto& entry : actions_.shortcutEntries())
        file.shortcuts[entry.name.rawValue] = toBinding(keys.shortcutFor(entry.name));
    return file;
}

std::optional<std::string> SettingsTransfer::exportTo(const std::filesystem::path& file) {
    std::string error;
    if (!AtomicFile::write(file, encodeSettingsFile(makeSettingsFile()), &error)) {
        // The reason is the system's, after the operation that failed.
        const auto colon = error.rfind(": ");
        const std::string reason = colon == std::string::npos ? error : error.substr(colon + 2);
        return "The file " + quoted(file) + " couldn't be saved: " + reason + ".";
    }
    log_.append("Exported settings to " + file.filename().string() + ".");
    return std::nullopt;
}

SettingsTransfer::Reading SettingsTransfer::read(const std::filesystem::path& file) const {
    std::string bytes;
    if (auto failed = readFile(file, bytes); !failed.error.empty())
        return failed;
    return readBytes(bytes);
}

SettingsTransfer::Reading SettingsTransfer::readBytes(std::string_view bytes) {
    auto reading = readSettingsFile(bytes);
    if (reading.error)
        return {std::nullopt, description(*reading.error)};
    return {std::move(reading.file), {}};
}

std::optional<std::string> SettingsTransfer::importFrom(const std::filesystem::path& file) {
    auto reading = read(file);
    if (!reading.file)
        return reading.error;
    applySettingsFile(*reading.file);
    return std::nullopt;
}

std::optional<std::string> SettingsTransfer::importBytes(std::string_view bytes) {
    auto reading = readBytes(bytes);
    if (!reading.file)
        return reading.error;
    applySettingsFile(*reading.file);
    return std::nullopt;
}

void SettingsTransfer::applySettingsFile(const SettingsFile& file) {
    apply(SettingsImportPlan::from(file));
}

void SettingsTransfer::apply(const SettingsImportPlan& plan) {
    applyLetterWorkspaces(plan.letterWorkspaces);

    if (plan.defaultLayout)
        settings_.setDefaultLayout(*plan.defaultLayout);
    settings_.setInnerGap(plan.innerGap);
    settings_.setOuterGap(plan.outerGap);
    settings_.setMainRatio(plan.mainRatio);
    settings_.setWorkspaceNames(plan.workspaceNames);
    settings_.setLetterWorkspaceNames(plan.letterWorkspaceNames);
    settings_.setAppRules(plan.appRules);

    settings_.setBorderEnabled(plan.borderEnabled);
    settings_.setBorderWidth(plan.borderWidth);
    settings_.setBorderColorHex(plan.borderColorHex);
    settings_.setHideBorderWhileDragging(plan.hideBorderWhileDragging);

    // The controller applies them to the workspaces and stores them back.
    controller_.commands().reloadFromSettings(plan.layouts, plan.screens);

    // A new style re-binds every action to its defaults; the file's bindings follow.
    if (plan.shortcutStyle)
        settings_.setShortcutStyle(*plan.shortcutStyle);
    applyBindings(plan);
    settings_.setShortcutsEnabled(plan.shortcutsEnabled);
    actions_.setShortcutsEnabled(plan.shortcutsEnabled);

    log_.append("Imported settings (exported " + abbreviatedDateTime(plan.exportedAt) + ").");
}

void SettingsTransfer::applyLetterWorkspaces(const std::vector<int>& wanted) {
    const std::vector<int> current = controller_.manager().letterWorkspaces();
    for (const int letter : current)
        if (!std::ranges::binary_search(wanted, letter))
            controller_.removeLetterWorkspace(letter);
    for (const int letter : wanted)
        if (!std::ranges::binary_search(controller_.manager().letterWorkspaces(), letter))
            controller_.addLetterWorkspace(letter);
}

void SettingsTransfer::applyBindings(const SettingsImportPlan& plan) {
    auto& keys = actions_.keyboardShortcuts();
    for (const auto& entry : actions_.shortcutEntries()) {
        const auto binding = plan.bindings.find(entry.name.rawValue);
        if (binding != plan.bindings.end())
            keys.storeShortcut(toShortcut(binding->second), entry.name);
    }
}

} // namespace morvanta
