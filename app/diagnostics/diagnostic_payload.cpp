#include "app/diagnostics/diagnostic_payload.h"

#include <charconv>
#include <csignal>
#include <ctime>
#include <map>

namespace morvanta {

namespace {

using Json = nlohmann::json;

std::optional<std::int64_t> integer(std::string_view text) {
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        auto end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return lines;
}

} // namespace

std::optional<DiagnosticPayload> DiagnosticPayload::fromCrashRecord(std::string_view text) {
    std::map<std::string, std::string, std::less<>> fields;
    Json frames = Json::array();
    bool inBacktrace = false;
    for (std::string_view line : splitLines(text)) {
        if (inBacktrace) {
            if (!line.empty())
                frames.push_back(std::string(line));
        } else if (line == "backtrace") {
            inBacktrace = true;
        } else if (auto space = line.find(' '); space != std::string_view::npos) {
            fields.emplace(std::string(line.substr(0, space)), std::string(line.substr(space + 1)));
        }
    }
    auto field = [&](std::string_view key) -> std::string {
        auto found = fields.find(key);
        return found == fields.end() ? std::string() : found->second;
    };
    auto signal = integer(field("signal"));
    auto time = integer(field("time"));
    if (field("kind") != "crash" || !signal || !time || !inBacktrace)
        return std::nullopt;
    Json report = {{"kind", "crash"},
                   {"signal", *signal},
                   {"signalName", signalName(static_cast<int>(*signal))},
                   {"signalCode", integer(field("code")).value_or(0)},
                   {"faultAddress", field("address")},
                   {"thread", field("thread")},
                   {"pid", integer(field("pid")).value_or(0)},
                   {"time", *time},
                   {"timeText", utcText(*time)},
                   {"version", field("version")},
                   {"build", field("build")},
                   {"backtrace", frames}};
    // Frames come from the loader's file names, which need not be UTF-8.
    std::string dumped = report.dump(-1, ' ', false, Json::error_handler_t::replace);
    return DiagnosticPayload{Json::parse(dumped), *time, 1, 0};
}

std::optional<DiagnosticPayload> DiagnosticPayload::fromHangReport(std::string_view text) {
    Json report = Json::parse(text, nullptr, false);
    if (report.is_discarded() || !report.is_object())
        return std::nullopt;
    auto kind = report.find("kind");
    auto time = report.find("time");
    if (kind == report.end() || *kind != "hang" || time == report.end() ||
        !time->is_number_integer())
        return std::nullopt;
    return hang(std::move(report));
}

DiagnosticPayload DiagnosticPayload::hang(Json report) {
    std::int64_t time = report.value("time", std::int64_t{0});
    return DiagnosticPayload{std::move(report), time, 0, 1};
}

std::string DiagnosticPayload::signalName(int signal) {
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal " + std::to_string(signal);
    }
}

std::string DiagnosticPayload::utcText(std::int64_t secondsSince1970) {
    std::time_t time = static_cast<std::time_t>(secondsSince1970);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return std::string(text, length);
}

} // namespace morvanta
