#include "app/ipc/ipc_request.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

namespace morvanta {

namespace {

using json = nlohmann::json;

// How deeply a request may nest arrays and objects; a real one nests not at all.
constexpr int maxDepth = 4;

struct CommandShape {
    std::string_view name;
    bool argument;
    std::string_view argumentName;
};

constexpr std::array commandShapes{
    CommandShape{"state", false, ""},
    CommandShape{"actions", false, ""},
    CommandShape{"run", true, "NAME"},
    CommandShape{"workspace", true, "N"},
    CommandShape{"move-window", true, "N"},
    CommandShape{"layout", true, "NAME"},
    CommandShape{"pause", true, "on|off|toggle"},
    CommandShape{"subscribe", false, ""},
};

const CommandShape* findShape(std::string_view command) {
    const auto found = std::ranges::find(commandShapes, command, &CommandShape::name);
    return found == commandShapes.end() ? nullptr : &*found;
}

// Length of the UTF-8 sequence starting at `lead`, or 0 for a byte that cannot start one.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool validUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = sequenceLength(lead);
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        if (length > 1) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
                (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
                return false;
        }
        i += length;
    }
    return true;
}

// The deepest nesting of arrays and objects outside strings.
bool nestsTooDeeply(std::string_view text) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth)
                return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

IpcParsedRequest refused(std::string error, bool unknownCommand = false) {
    IpcParsedRequest parsed;
    parsed.error = std::move(error);
    parsed.unknownCommand = unknownCommand;
    return parsed;
}

// Checks the command and its argument; shared by both ways of making a request.
IpcParsedRequest shaped(std::string command, std::optional<std::string> argument) {
    const CommandShape* shape = findShape(command);
    if (!shape)
        return refused("unknown command '" + command + "'", true);
    if (shape->argument && !argument)
        return refused("'" + command + "' needs an argument: " + std::string(shape->argumentName));
    if (!shape->argument && argument)
        return refused("'" + command + "' takes no argument");
    if (command == "pause" && *argument != "on" && *argument != "off" && *argument != "toggle")
        return refused("'pause' takes on, off or toggle, not '" + *argument + "'");
    IpcParsedRequest parsed;
    parsed.request = IpcRequest{std::move(command), std::move(argument)};
    return parsed;
}

} // namespace

const std::vector<std::string>& IpcRequest::commands() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const auto& shape : commandShapes)
            list.emplace_back(shape.name);
        return list;
    }();
    return names;
}

std::optional<bool> IpcRequest::takesArgument(std::string_view command) {
    const CommandShape* shape = findShape(command);
    return shape ? std::optional(shape->argument) : std::nullopt;
}

IpcParsedRequest IpcRequest::parse(std::string_view line) {
    if (line.size() > maxLineBytes)
        return refused("request longer than " + std::to_string(maxLineBytes) + " bytes");
    if (!validUtf8(line))
        return refused("request is not valid UTF-8");
    if (nestsTooDeeply(line))
        return refused("request nests too deeply");
    const json document = json::parse(line, nullptr, false);
    if (document.is_discarded())
        return refused("request is not valid JSON");
    if (!document.is_object())
        return refused("request is not a JSON object");
    for (const auto& [key, value] : document.items())
        if (key != "protocol" && key != "command" && key != "argument")
            return refused("unknown field '" + key + "'");
    const auto version = document.find("protocol");
    if (version == document.end())
        return refused("request has no protocol number");
    if (!version->is_number_integer() || version->get<long long>() != protocol)
        return refused("unsupported protocol " + version->dump() + "; this Morvanta speaks " +
                       std::to_string(protocol));
    const auto command = document.find("command");
    if (command == document.end() || !command->is_string())
        return refused("request has no command");
    const auto argument = document.find("argument");
    if (argument != document.end() && !argument->is_string())
        return refused("'argument' must be a string");
    return shaped(command->get<std::string>(), argument == document.end()
                                                   ? std::nullopt
                                                   : std::optional(argument->get<std::string>()));
}

IpcParsedRequest IpcRequest::fromArguments(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return refused("missing command");
    if (arguments.size() > 2)
        return refused("too many arguments");
    return shaped(arguments[0], arguments.size() == 2 ? std::optional(arguments[1]) : std::nullopt);
}

std::string IpcRequest::toLine() const {
    nlohmann::ordered_json line;
    line["protocol"] = protocol;
    line["command"] = command;
    if (argument)
        line["argument"] = *argument;
    return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace morvanta
