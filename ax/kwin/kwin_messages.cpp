#include "ax/kwin/kwin_messages.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

namespace morvanta {

namespace {

using nlohmann::json;

// A short, printable excerpt of what the script sent, for the log.
std::string excerpt(std::string_view text) {
    constexpr std::size_t limit = 80;
    std::string shown;
    for (const char c : text.substr(0, limit))
        shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return text.size() > limit ? shown + "…" : shown;
}

// Reading fails with the reason in `error`; every reader leaves its output alone on failure.
struct Problem {
    std::string error;
    bool fail(std::string reason) {
        if (error.empty())
            error = std::move(reason);
        return false;
    }
};

const json* member(const json& object, const char* name) {
    const auto it = object.find(name);
    return it == object.end() ? nullptr : &*it;
}

bool readString(const json& object, const char* name, std::string& out, Problem& problem) {
    const json* value = member(object, name);
    if (!value || !value->is_string())
        return problem.fail(std::string(name) + " is not a string");
    out = value->get<std::string>();
    return true;
}

// A string that may be absent (then empty), but not of another type.
bool readOptionalString(const json& object, const char* name, std::string& out, Problem& problem) {
    if (!member(object, name))
        return true;
    return readString(object, name, out, problem);
}

bool readBool(const json& object, const char* name, bool& out, Problem& problem) {
    const json* value = member(object, name);
    if (!value || !value->is_boolean())
        return problem.fail(std::string(name) + " is not true or false");
    out = value->get<bool>();
    return true;
}

bool readInteger(const json& object, const char* name, std::int64_t low, std::int64_t high,
                 std::int64_t& out, Problem& problem) {
    const json* value = member(object, name);
    const auto bad = [&] {
        return problem.fail(std::string(name) + " is not a whole number from " +
                            std::to_string(low) + " to " + std::to_string(high));
    };
    if (!value || !value->is_number_integer())
        return bad();
    if (value->is_number_unsigned()) {
        const auto v = value->get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(high))
            return bad();
        out = static_cast<std::int64_t>(v);
    } else {
        out = value->get<std::int64_t>();
    }
    return out >= low && out <= high ? true : bad();
}

// [a, b, ...] of `count` finite numbers within the coordinate limit; sizes (from index
// `firstSize` on) not negative.
bool readNumbers(const json& object, const char* name, std::size_t count, std::size_t firstSize,
                 double* out, Problem& problem) {
    const json* value = member(object, name);
    const auto bad = [&] {
        return problem.fail(std::string(name) + " is not " + std::to_string(count) +
                            " finite numbers within ±" + std::to_string(int(kwinMaxCoordinate)) +
                            ", sizes not negative");
    };
    if (!value || !value->is_array() || value->size() != count)
        return bad();
    double read[4] = {};
    for (std::size_t i = 0; i < count; ++i) {
        const json& item = (*value)[i];
        if (!item.is_number())
            return bad();
        const double v = item.get<double>();
        if (!std::isfinite(v) || std::abs(v) > kwinMaxCoordinate || (i >= firstSize && v < 0))
            return bad();
        read[i] = v;
    }
    std::copy(read, read + count, out);
    return true;
}

bool readRect(const json& object, const char* name, Rect& out, Problem& problem) {
    double v[4];
    if (!readNumbers(object, name, 4, 2, v, problem))
        return false;
    out = {v[0], v[1], v[2], v[3]};
    return true;
}

bool readWindow(const json& value, KWinWindowRecord& out, Problem& problem) {
    if (!value.is_object())
        return problem.fail("a window is not an object");
    KWinWindowRecord w;
    std::int64_t pid = 0;
    bool ok =
        readString(value, "id", w.id, problem) &&
        readInteger(value, "pid", 0, std::numeric_limits<std::int32_t>::max(), pid, problem) &&
        readString(value, "caption", w.caption, problem) &&
        readString(value, "resourceClass", w.resourceClass, problem) &&
        readString(value, "resourceName", w.resourceName, problem) &&
        readOptionalString(value, "desktopFile", w.desktopFile, problem) &&
        readBool(value, "normal", w.normal, problem) &&
        readBool(value, "dialog", w.dialog, problem) &&
        readBool(value, "transient", w.transient, problem) &&
        readBool(value, "skipTaskbar", w.skipTaskbar, problem) &&
        readBool(value, "special", w.special, problem) &&
        readBool(value, "minimized", w.minimized, problem) &&
        readBool(value, "fullScreen", w.fullScreen, problem) &&
        readRect(value, "frame", w.frame, problem) &&
        readInteger(value, "stacking", std::numeric_limits<std::int64_t>::min(),
                    std::numeric_limits<std::int64_t>::max(), w.stacking, problem);
    if (ok && member(value, "sizeIncrement")) {
        double step[2];
        ok = readNumbers(value, "sizeIncrement", 2, 0, step, problem);
        w.sizeIncrement = Size{step[0], step[1]};
    }
    if (!ok)
        return false;
    if (w.id.empty())
        return problem.fail("id is empty");
    w.pid = static_cast<std::int32_t>(pid);
    out = std::move(w);
    return true;
}

bool readScreen(const json& value, KWinScreenRecord& out, Problem& problem) {
    if (!value.is_object())
        return problem.fail("a screen is not an object");
    KWinScreenRecord s;
    if (!(readString(value, "name", s.name, problem) &&
          readRect(value, "geometry", s.geometry, problem) &&
          readRect(value, "area", s.area, problem) &&
          readOptionalString(value, "serial", s.serial, problem) &&
          readOptionalString(value, "manufacturer", s.manufacturer, problem) &&
          readOptionalString(value, "model", s.model, problem)))
        return false;
    out = std::move(s);
    return true;
}

bool readScreens(const json& object, std::vector<KWinScreenRecord>& out, Problem& problem) {
    const json* list = member(object, "screens");
    if (!list || !list->is_array())
        return problem.fail("screens is not a list");
    std::vector<KWinScreenRecord> screens(list->size());
    for (std::size_t i = 0; i < list->size(); ++i)
        if (!readScreen((*list)[i], screens[i], problem))
            return false;
    out = std::move(screens);
    return true;
}

bool readWindowList(const json& object, std::vector<KWinWindowRecord>& out, Problem& problem) {
    const json* list = member(object, "windows");
    if (!list || !list->is_array())
        return problem.fail("windows is not a list");
    std::vector<KWinWindowRecord> windows(list->size());
    std::set<std::string> ids;
    for (std::size_t i = 0; i < list->size(); ++i) {
        if (!readWindow((*list)[i], windows[i], problem))
            return false;
        if (!ids.insert(windows[i].id).second)
            return problem.fail("window " + excerpt(windows[i].id) + " is listed twice");
    }
    out = std::move(windows);
    return true;
}

// An id that may be null (no window).
bool readOptionalId(const json& object, const char* name, std::optional<std::string>& out,
                    Problem& problem) {
    const json* value = member(object, name);
    if (value && value->is_null()) {
        out.reset();
        return true;
    }
    std::string id;
    if (!readString(object, name, id, problem))
        return problem.fail(std::string(name) + " is neither a string nor null");
    out = std::move(id);
    return true;
}

bool readHello(const json& event, KWinEvent& out, Problem& problem) {
    KWinHello hello;
    std::int64_t api = 0;
    if (!(readInteger(event, "api", 0, 1000, api, problem) &&
          readScreens(event, hello.screens, problem) &&
          readWindowList(event, hello.windows, problem) &&
          readOptionalId(event, "active", hello.active, problem)))
        return false;
    hello.api = static_cast<int>(api);
    out = std::move(hello);
    return true;
}

// A pointer position that may be absent.
bool readCursor(const json& event, std::optional<Point>& out, Problem& problem) {
    if (!member(event, "cursor"))
        return true;
    double v[2];
    if (!readNumbers(event, "cursor", 2, 2, v, problem))
        return false;
    out = Point{v[0], v[1]};
    return true;
}

bool readEvent(const json& event, const std::string& type, KWinEvent& out, Problem& problem) {
    if (type == "hello")
        return readHello(event, out, problem);
    if (type == "added" || type == "changed") {
        const json* window = member(event, "window");
        KWinWindowRecord record;
        std::optional<Point> cursor;
        if (!window)
            return problem.fail("window is missing");
        if (!readWindow(*window, record, problem) || !readCursor(event, cursor, problem))
            return false;
        if (type == "added")
            out = KWinAdded{std::move(record)};
        else
            out = KWinChanged{std::move(record), cursor};
        return true;
    }
    if (type == "removed" || type == "moveResizeStarted" || type == "moveResizeFinished") {
        std::string id;
        std::optional<Point> cursor;
        if (!readString(event, "id", id, problem) || !readCursor(event, cursor, problem))
            return false;
        if (type == "removed")
            out = KWinRemoved{std::move(id)};
        else
            out = KWinMoveResize{std::move(id), type == "moveResizeFinished", cursor};
        return true;
    }
    if (type == "activated") {
        std::optional<std::string> id;
        if (!readOptionalId(event, "id", id, problem))
            return false;
        out = KWinActivated{std::move(id)};
        return true;
    }
    if (type == "screens") {
        KWinScreens screens;
        if (!readScreens(event, screens.screens, problem))
            return false;
        out = std::move(screens);
        return true;
    }
    return problem.fail("the type is unknown");
}

void tell(const KWinLog& log, const std::string& line) {
    if (log)
        log(line);
}

std::vector<KWinEvent> readEvents(const json& list, const KWinLog& log) {
    std::vector<KWinEvent> events;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const json& event = list[i];
        Problem problem;
        std::string type = "?";
        KWinEvent read;
        if (!event.is_object())
            problem.fail("it is not an object");
        else if (readString(event, "type", type, problem) && readEvent(event, type, read, problem))
            events.push_back(std::move(read));
        if (!problem.error.empty())
            tell(log, "⚠️ KWin script: event " + std::to_string(i) + " (" + excerpt(type) +
                          ") dropped: " + problem.error + ".");
    }
    return events;
}

} // namespace

std::optional<KWinMessage> readKWinMessage(std::string_view text, const KWinLog& log) {
    if (text.size() > kwinMaxMessageBytes) {
        tell(log, "⚠️ KWin script: a message of " + std::to_string(text.size()) +
                      " bytes dropped unread.");
        return std::nullopt;
    }
    const json document = json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.is_object()) {
        tell(log,
             "⚠️ KWin script: a message that is not a JSON object dropped: " + excerpt(text));
        return std::nullopt;
    }
    KWinMessage message;
    Problem problem;
    if (!readString(document, "script", message.script, problem) || message.script.empty()) {
        tell(log, "⚠️ KWin script: a message without a script token dropped: " + excerpt(text));
        return std::nullopt;
    }
    if (member(document, "ack")) {
        std::int64_t ack = 0;
        if (readInteger(document, "ack", 0, std::numeric_limits<std::int64_t>::max(), ack, problem))
            message.ack = static_cast<std::uint64_t>(ack);
        else
            tell(log, "⚠️ KWin script: an acknowledgement dropped: " + problem.error + ".");
    }
    if (const json* events = member(document, "events")) {
        if (events->is_array())
            message.events = readEvents(*events, log);
        else
            tell(log, "⚠️ KWin script: a message's events dropped: events is not a list.");
    }
    return message;
}

namespace {

std::int64_t whole(double v) {
    return static_cast<std::int64_t>(std::lround(v));
}

json wholeRect(const Rect& r) {
    return {whole(r.x), whole(r.y), whole(r.width), whole(r.height)};
}

json ownWindowCommand(const KWinCommand& c) {
    if (c.op == KWinCommand::Op::place)
        return {{"op", "place"}, {"pid", c.pid}, {"caption", c.caption}, {"top", c.amount}};
    return {{"op", "border"},
            {"pid", c.pid},
            {"caption", c.caption},
            {"frame", c.on ? wholeRect(c.frame) : json(nullptr)},
            {"around", c.on && !c.id.empty() ? json(c.id) : json(nullptr)},
            {"outset", c.amount}};
}

} // namespace

std::string writeKWinBatch(std::uint64_t batch, const std::vector<KWinCommand>& commands) {
    using Op = KWinCommand::Op;
    json list = json::array();
    for (const auto& c : commands) {
        json command;
        switch (c.op) {
        case Op::frame:
            command = {{"op", "frame"}, {"id", c.id}, {"frame", wholeRect(c.frame)}};
            break;
        case Op::position:
            command = {
                {"op", "position"}, {"id", c.id}, {"point", {whole(c.frame.x), whole(c.frame.y)}}};
            break;
        case Op::minimize:
            command = {{"op", "minimize"}, {"id", c.id}, {"on", c.on}};
            break;
        case Op::activate:
            command = {{"op", "activate"}, {"id", c.id}};
            break;
        case Op::deactivate:
            command = {{"op", "deactivate"}};
            break;
        case Op::raise:
            command = {{"op", "raise"}, {"id", c.id}};
            break;
        case Op::resync:
            command = {{"op", "resync"}};
            break;
        case Op::border:
        case Op::place:
            command = ownWindowCommand(c);
            break;
        }
        list.push_back(std::move(command));
    }
    const json answer = {{"batch", batch}, {"commands", std::move(list)}};
    return answer.dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace morvanta
