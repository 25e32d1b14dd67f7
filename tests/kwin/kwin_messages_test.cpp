// The KWin script's messages read strictly: hostile input drops only the bad event (or the whole
// message when it cannot be attributed), with a line in the log, and never crashes.
#include "ax/kwin/kwin_messages.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace morvanta::testing {
namespace {

using nlohmann::json;

json goodWindow(const std::string& id = "{a}") {
    return {{"id", id},
            {"pid", 4711},
            {"caption", "~ — xterm"},
            {"resourceClass", "xterm"},
            {"resourceName", "xterm"},
            {"desktopFile", ""},
            {"normal", true},
            {"dialog", false},
            {"transient", false},
            {"skipTaskbar", false},
            {"special", false},
            {"minimized", false},
            {"fullScreen", false},
            {"frame", {10, 20, 640, 480}},
            {"sizeIncrement", {6, 13}},
            {"stacking", 12}};
}

json changed(json window) {
    return {{"type", "changed"}, {"window", std::move(window)}};
}

struct Read {
    std::optional<KWinMessage> message;
    std::vector<std::string> lines;
};

Read readText(const std::string& text) {
    Read r;
    r.message = readKWinMessage(text, [&](const std::string& line) { r.lines.push_back(line); });
    return r;
}

Read read(const json& events, const json& extra = json::object()) {
    json message = {{"script", "t1"}, {"events", events}};
    message.update(extra);
    return readText(message.dump());
}

TEST(KWinMessagesTest, EveryEventOfTheContractIsRead) {
    const json screen = {{"name", "DP-1"},
                         {"geometry", {0, 0, 1600, 1000}},
                         {"area", {0, 0, 1600, 960}},
                         {"serial", "S/N 7"}};
    const auto r = read(json::array({
                            {{"type", "hello"},
                             {"api", 6},
                             {"screens", {screen}},
                             {"windows", {goodWindow()}},
                             {"active", "{a}"}},
                            {{"type", "added"}, {"window", goodWindow("{b}")}},
                            {{"type", "removed"}, {"id", "{b}"}},
                            changed(goodWindow()),
                            {{"type", "activated"}, {"id", nullptr}},
                            {{"type", "moveResizeStarted"}, {"id", "{a}"}},
                            {{"type", "moveResizeFinished"}, {"id", "{a}"}},
                            {{"type", "screens"}, {"screens", json::array()}},
                        }),
                        {{"ack", 17}});
    ASSERT_TRUE(r.message);
    EXPECT_TRUE(r.lines.empty());
    EXPECT_EQ(r.message->ack, 17u);
    ASSERT_EQ(r.message->events.size(), 8u);
    const auto& hello = std::get<KWinHello>(r.message->events[0]);
    EXPECT_EQ(hello.api, 6);
    EXPECT_EQ(hello.active, "{a}");
    EXPECT_EQ(hello.screens.at(0).serial, "S/N 7");
    EXPECT_EQ(hello.screens.at(0).area, (Rect{0, 0, 1600, 960}));
    const auto& w = hello.windows.at(0);
    EXPECT_EQ(w.pid, 4711);
    EXPECT_EQ(w.frame, (Rect{10, 20, 640, 480}));
    EXPECT_EQ(w.sizeIncrement, (Size{6, 13}));
    EXPECT_EQ(w.stacking, 12);
    EXPECT_FALSE(std::get<KWinActivated>(r.message->events[4]).id);
    EXPECT_TRUE(std::get<KWinMoveResize>(r.message->events[6]).finished);
}

TEST(KWinMessagesTest, AMessageThatCannotBeAttributedIsDroppedWhole) {
    std::string deep(200000, '[');
    for (const std::string& text :
         {std::string("not json"), std::string("[1, 2]"), std::string("{\"events\": []}"),
          std::string("{\"script\": 7, \"events\": []}"), std::string("{\"script\": \"\"}"),
          std::string("{\"script\": \"t\", \"events\": [") /* cut short */, deep,
          std::string("\xff\xfe{}"), std::string(kwinMaxMessageBytes + 1, ' ')}) {
        const auto r = readText(text);
        EXPECT_FALSE(r.message) << text.substr(0, 40);
        ASSERT_EQ(r.lines.size(), 1u) << text.substr(0, 40);
        EXPECT_LT(r.lines[0].size(), 200u); // an excerpt, not the whole text
    }
}

TEST(KWinMessagesTest, ABadEventIsDroppedAloneAndNeverInPart) {
    // Each of these spoils one window; the good events around it stand.
    std::vector<json> bad;
    for (const auto& [field, value] :
         std::vector<std::pair<std::string, json>>{{"pid", "4711"},
                                                   {"pid", -1},
                                                   {"pid", 1e12},
                                                   {"minimized", 1},
                                                   {"frame", {10, 20, 640}},
                                                   {"frame", {10, 20, -640, 480}},
                                                   {"frame", {"NaN", 20, 640, 480}},
                                                   {"frame", {1e300, 20, 640, 480}},
                                                   {"frame", {10, 20, 640, 2e6}},
                                                   {"sizeIncrement", {6}},
                                                   {"stacking", 1.5},
                                                   {"id", ""},
                                                   {"caption", nullptr}}) {
        json w = goodWindow();
        w[field] = value;
        bad.push_back(w);
    }
    json noMinimized = goodWindow();
    noMinimized.erase("minimized");
    bad.push_back(noMinimized);

    for (const auto& window : bad) {
        const auto r = read(json::array(
            {changed(goodWindow("{before}")), changed(window), changed(goodWindow("{after}"))}));
        ASSERT_TRUE(r.message);
        ASSERT_EQ(r.message->events.size(), 2u) << window.dump();
        EXPECT_EQ(std::get<KWinChanged>(r.message->events[0]).window.id, "{before}");
        EXPECT_EQ(std::get<KWinChanged>(r.message->events[1]).window.id, "{after}");
        ASSERT_EQ(r.lines.size(), 1u);
        EXPECT_NE(r.lines[0].find("event 1 (changed) dropped"), std::string::npos) << r.lines[0];
    }
    // A value beyond double's range reads as infinity and is refused too.
    const std::string huge =
        R"({"script":"t","events":[{"type":"changed","window":)" +
        goodWindow().dump().replace(goodWindow().dump().find("640"), 3, "1e400") + "}]}";
    const auto r = readText(huge);
    EXPECT_TRUE(!r.message || r.message->events.empty());
}

TEST(KWinMessagesTest, AHelloIsWholeOrNothing) {
    json hello = {{"type", "hello"},
                  {"api", 6},
                  {"screens", json::array()},
                  {"windows", {goodWindow("{a}"), goodWindow("{a}")}},
                  {"active", nullptr}};
    auto r = read(json::array({hello}));
    EXPECT_TRUE(r.message->events.empty());
    EXPECT_NE(r.lines.at(0).find("listed twice"), std::string::npos);

    hello["windows"] = {goodWindow("{a}"), {{"id", "{b}"}}};
    EXPECT_TRUE(read(json::array({hello})).message->events.empty());
    hello["windows"] = {goodWindow("{a}")};
    hello.erase("active");
    EXPECT_TRUE(read(json::array({hello})).message->events.empty());
    hello["active"] = 3;
    EXPECT_TRUE(read(json::array({hello})).message->events.empty());
    hello["active"] = "{a}";
    hello["screens"] = {{{"name", "X"}, {"geometry", {0, 0, 10, 10}}}}; // no area
    EXPECT_TRUE(read(json::array({hello})).message->events.empty());
}

TEST(KWinMessagesTest, OddEnvelopesKeepWhatCanBeRead) {
    // A bad acknowledgement is dropped; the events stand.
    for (const json& ack : {json("17"), json(-1), json(1.5), json(nullptr)}) {
        const auto r = read(json::array({changed(goodWindow())}), {{"ack", ack}});
        ASSERT_TRUE(r.message);
        EXPECT_FALSE(r.message->ack);
        EXPECT_EQ(r.message->events.size(), 1u);
        EXPECT_EQ(r.lines.size(), 1u);
    }
    // Unknown and shapeless events are dropped one by one; no events at all is a message too.
    const auto r =
        read(json::array({{{"type", "teleported"}}, 5, {{"type", 5}}, changed(goodWindow())}));
    EXPECT_EQ(r.message->events.size(), 1u);
    EXPECT_EQ(r.lines.size(), 3u);
    EXPECT_TRUE(readText(R"({"script": "t", "ack": 3})").message->events.empty());
    EXPECT_EQ(readText(R"({"script": "t", "events": {}})").lines.size(), 1u);
}

TEST(KWinMessagesTest, BatchesGoOutInWholePoints) {
    const std::string text =
        writeKWinBatch(18, {{KWinCommand::Op::frame, "{a}", {10.4, 20.6, 640.5, 480}, false},
                            {KWinCommand::Op::position, "{b}", {1599, 999, 0, 0}, false},
                            {KWinCommand::Op::minimize, "{b}", {}, true},
                            {KWinCommand::Op::activate, "{a}", {}, false},
                            {KWinCommand::Op::deactivate, "", {}, false},
                            {KWinCommand::Op::raise, "{a}", {}, false},
                            {KWinCommand::Op::resync, "", {}, false}});
    EXPECT_EQ(json::parse(text), json::parse(R"({"batch": 18, "commands": [
        {"op": "frame", "id": "{a}", "frame": [10, 21, 641, 480]},
        {"op": "position", "id": "{b}", "point": [1599, 999]},
        {"op": "minimize", "id": "{b}", "on": true},
        {"op": "activate", "id": "{a}"},
        {"op": "deactivate"},
        {"op": "raise", "id": "{a}"},
        {"op": "resync"}]})"));
}

TEST(KWinMessagesTest, ThePointerRidesOnMoveNewsAndABadOneDropsItsEvent) {
    const auto r =
        read(json::array({{{"type", "moveResizeStarted"}, {"id", "{a}"}, {"cursor", {400.5, -20}}},
                          {{"type", "changed"}, {"window", goodWindow()}, {"cursor", {410, 300}}},
                          {{"type", "moveResizeFinished"}, {"id", "{a}"}},
                          {{"type", "changed"}, {"window", goodWindow()}, {"cursor", {1, 2, 3}}},
                          {{"type", "moveResizeFinished"}, {"id", "{a}"}, {"cursor", {"1", 2}}}}));
    ASSERT_TRUE(r.message);
    const auto& events = r.message->events;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(std::get<KWinMoveResize>(events[0]).cursor, (Point{400.5, -20}));
    EXPECT_EQ(std::get<KWinChanged>(events[1]).cursor, (Point{410, 300}));
    EXPECT_EQ(std::get<KWinMoveResize>(events[2]).cursor, std::nullopt);
    EXPECT_EQ(r.lines.size(), 2u);
}

TEST(KWinMessagesTest, CommandsOnMorvantasOwnWindowsNameThemByProcessAndCaption) {
    KWinCommand shown{KWinCommand::Op::border, "{a}", {95.6, 96, 608, 408}, true, 4711, "Ring", 4};
    KWinCommand hidden = shown;
    hidden.on = false;
    KWinCommand floating = shown;
    floating.id.clear();
    const KWinCommand place{KWinCommand::Op::place, "", {}, false, 4711, "Panel", 0.18};
    EXPECT_EQ(json::parse(writeKWinBatch(3, {shown, hidden, floating, place})),
              json::parse(R"({"batch": 3, "commands": [
        {"op": "border", "pid": 4711, "caption": "Ring", "frame": [96, 96, 608, 408],
         "around": "{a}", "outset": 4.0},
        {"op": "border", "pid": 4711, "caption": "Ring", "frame": null, "around": null,
         "outset": 4.0},
        {"op": "border", "pid": 4711, "caption": "Ring", "frame": [96, 96, 608, 408],
         "around": null, "outset": 4.0},
        {"op": "place", "pid": 4711, "caption": "Panel", "top": 0.18}]})"));
}

} // namespace
} // namespace morvanta::testing
