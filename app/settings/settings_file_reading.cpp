// Reading a settings file: every member is checked for presence and kind before anything is
// handed on, so a refused document yields no partial result.
#include "app/settings/settings_file.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

namespace morvanta {

namespace {

using nlohmann::json;

// An integer in range, or a whole real number that is one (1.0 reads as 1).
template <class Int> std::optional<Int> integerOf(const json& value) {
    constexpr auto low = std::numeric_limits<Int>::min();
    constexpr auto high = std::numeric_limits<Int>::max();
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(high))
            return std::nullopt;
        return static_cast<Int>(number);
    }
    if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        if (number < low || number > high)
            return std::nullopt;
        return static_cast<Int>(number);
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        // The bounds as doubles: high + 1 is exact (a power of two), high itself may not be.
        if (std::trunc(number) != number || number < static_cast<double>(low) ||
            number >= -2.0 * static_cast<double>(low / 2))
            return std::nullopt;
        return static_cast<Int>(number);
    }
    return std::nullopt;
}

std::optional<double> numberOf(const json& value) {
    if (!value.is_number())
        return std::nullopt;
    const double number = value.get<double>();
    // JSON has no infinity; a literal too large for a double is no number Morvanta can use.
    if (!std::isfinite(number))
        return std::nullopt;
    return number;
}

std::optional<std::vector<std::string>> stringsOf(const json& value) {
    if (!value.is_array())
        return std::nullopt;
    std::vector<std::string> out;
    out.reserve(value.size());
    for (const auto& element : value) {
        if (!element.is_string())
            return std::nullopt;
        out.push_back(element.get<std::string>());
    }
    return out;
}

std::optional<SettingsFile::StringMap> stringMapOf(const json& value) {
    if (!value.is_object())
        return std::nullopt;
    SettingsFile::StringMap out;
    for (const auto& [key, element] : value.items()) {
        if (!element.is_string())
            return std::nullopt;
        out[key] = element.get<std::string>();
    }
    return out;
}

// Reads members of one object; the first missing or mistyped member marks it failed.
class Members {
public:
    explicit Members(const json& object) : object_(object) {}

    bool failed() const { return failed_; }

    const json* find(const char* name) {
        const auto found = object_.find(name);
        if (found == object_.end()) {
            failed_ = true;
            return nullptr;
        }
        return &*found;
    }

    template <class T, class Read> void read(const char* name, T& into, Read reader) {
        const json* value = find(name);
        if (value == nullptr)
            return;
        auto read = reader(*value);
        if (!read)
            failed_ = true;
        else
            into = std::move(*read);
    }

    void string(const char* name, std::string& into) {
        read(name, into, [](const json& v) {
            return v.is_string() ? std::optional(v.get<std::string>()) : std::nullopt;
        });
    }
    void boolean(const char* name, bool& into) {
        read(name, into, [](const json& v) {
            return v.is_boolean() ? std::optional(v.get<bool>()) : std::nullopt;
        });
    }
    void number(const char* name, double& into) { read(name, into, numberOf); }

    // An optional string: absent and null both read as none.
    void optionalString(const char* name, std::optional<std::string>& into) {
        const auto found = object_.find(name);
        if (found == object_.end() || found->is_null())
            return;
        if (!found->is_string())
            failed_ = true;
        else
            into = found->get<std::string>();
    }

private:
    const json& object_;
    bool failed_ = false;
};

std::optional<SettingsFile::Rule> ruleOf(const json& value) {
    if (!value.is_object())
        return std::nullopt;
    SettingsFile::Rule rule;
    Members members(value);
    members.string("bundleID", rule.bundleID);
    members.string("appName", rule.appName);
    members.optionalString("workspace", rule.workspace);
    members.boolean("floating", rule.floating);
    members.boolean("noBorder", rule.noBorder);
    if (members.failed())
        return std::nullopt;
    return rule;
}

std::optional<std::vector<SettingsFile::Rule>> rulesOf(const json& value) {
    if (!value.is_array())
        return std::nullopt;
    std::vector<SettingsFile::Rule> rules;
    for (const auto& element : value) {
        auto rule = ruleOf(element);
        if (!rule)
            return std::nullopt;
        rules.push_back(std::move(*rule));
    }
    return rules;
}

std::optional<SettingsFile::Binding> bindingOf(const json& value) {
    if (!value.is_object())
        return std::nullopt;
    const auto key = value.find("carbonKeyCode");
    const auto modifiers = value.find("carbonModifiers");
    if (key == value.end() || modifiers == value.end())
        return std::nullopt;
    const auto keyCode = integerOf<int>(*key);
    const auto mask = integerOf<int>(*modifiers);
    if (!keyCode || !mask)
        return std::nullopt;
    return SettingsFile::Binding{*keyCode, *mask};
}

using Shortcuts = std::map<std::string, std::optional<SettingsFile::Binding>>;

std::optional<Shortcuts> shortcutsOf(const json& value) {
    if (!value.is_object())
        return std::nullopt;
    Shortcuts out;
    for (const auto& [name, element] : value.items()) {
        if (element.is_null()) {
            out[name] = std::nullopt;
            continue;
        }
        auto binding = bindingOf(element);
        if (!binding)
            return std::nullopt;
        out[name] = *binding;
    }
    return out;
}

std::optional<SettingsFile> decode(const json& document) {
    SettingsFile file;
    Members members(document);
    members.read("format", file.format, integerOf<std::int64_t>);
    members.string("app", file.app);
    members.optionalString("appVersion", file.appVersion);
    members.read("exportedAt", file.exportedAt, [](const json& v) {
        return v.is_string() ? parseIso8601(v.get_ref<const std::string&>()) : std::nullopt;
    });
    members.string("defaultLayout", file.defaultLayout);
    members.number("innerGap", file.innerGap);
    members.number("outerGap", file.outerGap);
    members.number("mainRatio", file.mainRatio);
    members.read("workspaceNames", file.workspaceNames, stringsOf);
    members.read("letterWorkspaces", file.letterWorkspaces, stringsOf);
    members.read("letterWorkspaceNames", file.letterWorkspaceNames, stringMapOf);
    members.read("layouts", file.layouts, stringMapOf);
    members.read("screens", file.screens, stringMapOf);
    members.read("appRules", file.appRules, rulesOf);
    members.boolean("borderEnabled", file.borderEnabled);
    members.number("borderWidth", file.borderWidth);
    members.string("borderColor", file.borderColor);
    members.boolean("hideBorderWhileDragging", file.hideBorderWhileDragging);
    members.boolean("shortcutsEnabled", file.shortcutsEnabled);
    members.string("shortcutStyle", file.shortcutStyle);
    members.read("shortcuts", file.shortcuts, shortcutsOf);
    if (members.failed())
        return std::nullopt;
    return file;
}

bool isFromNewerMorvanta(const json& document) {
    const auto app = document.find("app");
    const auto format = document.find("format");
    if (app == document.end() || format == document.end() || !app->is_string() ||
        app->get_ref<const std::string&>() != SettingsFile::appName)
        return false;
    const auto number = integerOf<std::int64_t>(*format);
    return number && *number > SettingsFile::currentFormat;
}

SettingsFileReading refused(SettingsTransferError error) {
    return {std::nullopt, error};
}

} // namespace

SettingsFileReading readSettingsFile(std::string_view bytes) {
    if (bytes.size() > SettingsFile::maxFileBytes)
        return refused(SettingsTransferError::notMorvanta);
    // No exceptions: a text that is not JSON parses as a discarded value.
    const json document = json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (!document.is_object())
        return refused(SettingsTransferError::notMorvanta);
    if (isFromNewerMorvanta(document))
        return refused(SettingsTransferError::newerFormat);
    auto file = decode(document);
    if (!file || file->app != SettingsFile::appName)
        return refused(SettingsTransferError::notMorvanta);
    return {std::move(file), std::nullopt};
}

} // namespace morvanta
