#include "app/diagnostics/system_facts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>
#include <sys/utsname.h>

namespace morvanta {

namespace {

namespace fs = std::filesystem;

std::string readSmallFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string text(4096, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// Firmware values end at the first NUL (device-tree strings) and carry a trailing newline.
std::string firmwareText(const fs::path& path) {
    std::string text = readSmallFile(path);
    text = text.substr(0, text.find('\0'));
    auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    text.erase(std::find_if(text.rbegin(), text.rend(), notSpace).base(), text.end());
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notSpace));
    return SystemFacts::repairUtf8(text);
}

bool isPlaceholder(const std::string& value) {
    static const std::array<std::string_view, 8> placeholders = {"",
                                                                 "To be filled by O.E.M.",
                                                                 "To Be Filled By O.E.M.",
                                                                 "System Product Name",
                                                                 "Default string",
                                                                 "Not Applicable",
                                                                 "None",
                                                                 "System Name"};
    return std::find(placeholders.begin(), placeholders.end(), value) != placeholders.end();
}

// One os-release value: KEY="quoted value" or KEY=value, with shell-style backslash escapes.
std::string osReleaseValue(const std::string& text, std::string_view key) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() <= key.size() || line.compare(0, key.size(), key) != 0 ||
            line[key.size()] != '=')
            continue;
        std::string_view raw = std::string_view(line).substr(key.size() + 1);
        if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') &&
            raw.back() == raw.front())
            raw = raw.substr(1, raw.size() - 2);
        std::string value;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size())
                ++i;
            value += raw[i];
        }
        return SystemFacts::repairUtf8(value);
    }
    return {};
}

std::string orQuestionMark(std::string value) {
    return value.empty() ? "?" : value;
}

} // namespace

SystemFacts SystemFacts::current(int screenCount) {
    return {appVersion(),        appBuild(),         readDistribution(),
            readKernelRelease(), readMachineModel(), screenCount};
}

std::string SystemFacts::appVersion() {
    return orQuestionMark(MORVANTA_VERSION);
}

std::string SystemFacts::appBuild() {
    return orQuestionMark(MORVANTA_BUILD);
}

std::string SystemFacts::readDistribution(const fs::path& root) {
    std::string text = readSmallFile(root / "etc/os-release");
    if (text.empty())
        text = readSmallFile(root / "usr/lib/os-release");
    if (std::string pretty = osReleaseValue(text, "PRETTY_NAME"); !pretty.empty())
        return pretty;
    std::string name = osReleaseValue(text, "NAME");
    std::string version = osReleaseValue(text, "VERSION_ID");
    if (!name.empty() && !version.empty())
        return name + " " + version;
    return name;
}

std::string SystemFacts::readKernelRelease() {
    utsname names{};
    if (uname(&names) != 0)
        return "?";
    return orQuestionMark(repairUtf8(names.release));
}

std::string SystemFacts::readMachineModel(const fs::path& root) {
    for (const char* file : {"sys/class/dmi/id/product_name", "sys/class/dmi/id/board_name",
                             "sys/firmware/devicetree/base/model", "proc/device-tree/model"}) {
        std::string value = firmwareText(root / file);
        if (!isPlaceholder(value))
            return value;
    }
    utsname names{};
    if (uname(&names) == 0 && names.machine[0] != '\0')
        return repairUtf8(names.machine);
    return "?";
}

std::string SystemFacts::repairUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = byte < 0x80           ? 1
                             : (byte >> 5) == 0x6  ? 2
                             : (byte >> 4) == 0xE  ? 3
                             : (byte >> 3) == 0x1E ? 4
                                                   : 0;
        bool valid = length > 0 && i + length <= text.size();
        char32_t code = length == 1 ? byte : length == 0 ? 0 : byte & (0x7F >> length);
        for (std::size_t k = 1; valid && k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
        static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= smallest[length] && code <= 0x10FFFF &&
                (code < 0xD800 || code > 0xDFFF);
        if (valid) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

} // namespace morvanta
