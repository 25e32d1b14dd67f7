// The command interface's protocol against a fake controller: every command and every error
// with its exact reply, the strict reading of requests (malformed ones close the connection and
// change nothing), a fuzz run of random and mutated requests, and the subscription's lines.
#include "app/controller/manual_run_loop.h"
#include "app/ipc/ipc_dispatcher.h"
#include "app/ipc/ipc_event_feed.h"
#include "app/ipc/ipc_reply.h"
#include "app/ipc/ipc_request.h"
#include "fake_ipc_target.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <random>

namespace morvanta {
namespace {

using testing::FakeIpcTarget;
using json = nlohmann::json;

std::string request(const std::string& command, const std::string& argument = "") {
    return IpcRequest{command, argument.empty() ? std::nullopt : std::optional(argument)}.toLine();
}

class IpcProtocolTest : public ::testing::Test {
protected:
    json ask(const std::string& line, bool* closed = nullptr) {
        const auto outcome = dispatcher.handle(line);
        if (closed)
            *closed = outcome.close;
        const json reply = json::parse(outcome.reply);
        EXPECT_EQ(reply.at("protocol"), 1) << outcome.reply;
        return reply;
    }
    // The error code and message of a refused request; the connection stays open.
    std::pair<std::string, std::string> refusal(const std::string& line) {
        bool closed = true;
        const json reply = ask(line, &closed);
        EXPECT_FALSE(closed) << line;
        EXPECT_EQ(reply.at("ok"), false) << line;
        return {reply.value("code", ""), reply.value("error", "")};
    }

    FakeIpcTarget target;
    IpcDispatcher dispatcher{target};
};

TEST_F(IpcProtocolTest, EveryCommandReachesItsTarget) {
    const json state = ask(request("state"));
    EXPECT_EQ(state.at("ok"), true);
    EXPECT_EQ(state.at("result"), target.current.toJson());
    EXPECT_EQ(state["result"]["protocol"], 1);
    EXPECT_EQ(state["result"]["version"], "9.9.9");
    EXPECT_EQ(state["result"]["displays"][0]["frame"],
              json({{"x", 0}, {"y", 0}, {"width", 1920}, {"height", 1080}}));
    const auto& window = state["result"]["workspaces"][0]["windows"][0];
    EXPECT_EQ(window["id"], 0x400001);
    EXPECT_EQ(window["focused"], true);
    EXPECT_EQ(state["result"]["workspaces"][0]["name"], "Web");

    EXPECT_EQ(ask(request("actions")).at("result"), json(target.actionNames()));
    for (const auto& line :
         {request("run", "nextLayout"), request("workspace", "2"), request("workspace", "a"),
          request("move-window", "3"), request("layout", "grid"), request("pause", "on"),
          request("pause", "toggle"), request("pause", "toggle"), request("pause", "off")})
        EXPECT_EQ(ask(line), json({{"protocol", 1}, {"ok", true}})) << line;
    EXPECT_EQ(target.calls, (std::vector<std::string>{
                                "run nextLayout", "workspace 2", "workspace A", "move-window 3",
                                "layout grid", "pause on", "pause off", "pause on", "pause off"}));

    const auto subscribe = dispatcher.handle(request("subscribe"));
    EXPECT_TRUE(subscribe.subscribe);
    EXPECT_FALSE(subscribe.close);
}

TEST_F(IpcProtocolTest, RefusedRequestsSayWhyAndChangeNothing) {
    using Expected = std::pair<std::string, std::string>;
    EXPECT_EQ(
        refusal(request("run", "explode")),
        Expected("unknown-action", "unknown action 'explode'; 'morvanta msg actions' lists them"));
    EXPECT_EQ(refusal(request("workspace", "B")),
              Expected("unknown-workspace", "workspace B does not exist"));
    EXPECT_EQ(refusal(request("workspace", "0")),
              Expected("unknown-workspace", "unknown workspace '0' (1-9 or a letter workspace)"));
    EXPECT_EQ(refusal(request("move-window", "10")).first, "unknown-workspace");
    EXPECT_EQ(refusal(request("layout", "spiral")),
              Expected("unknown-layout",
                       "unknown layout 'spiral' (columns, rows, mainStack, grid, monocle)"));
    EXPECT_EQ(refusal(R"({"protocol":1,"command":"reboot"})"),
              Expected("unknown-command", "unknown command 'reboot'"));
    target.focusedWindow = false;
    EXPECT_EQ(refusal(request("move-window", "2")),
              Expected("refused", "no tiled window has the focus"));
    EXPECT_TRUE(target.calls.empty());
}

TEST_F(IpcProtocolTest, MalformedRequestsCloseTheConnectionAndChangeNothing) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "request is not valid JSON"},
        {"ping?", "request is not valid JSON"},
        {R"({"protocol":1,"command":"state")", "request is not valid JSON"},
        {"[1,2]", "request is not a JSON object"},
        {"\"state\"", "request is not a JSON object"},
        {"{\"protocol\":1,\"command\":\"st\xff\xfe\"}", "request is not valid UTF-8"},
        {"{\"protocol\":1,\"command\":\"\xc0\xaf\"}", "request is not valid UTF-8"},
        {"{\"protocol\":1,\"command\":\"\xed\xa0\x80\"}", "request is not valid UTF-8"},
        {R"({"protocol":1,"command":"state","force":true})", "unknown field 'force'"},
        {R"({"command":"state"})", "request has no protocol number"},
        {R"({"protocol":2,"command":"state"})", "unsupported protocol 2; this Morvanta speaks 1"},
        {R"({"protocol":"1","command":"state"})",
         "unsupported protocol \"1\"; this Morvanta speaks 1"},
        {R"({"protocol":1.5,"command":"state"})",
         "unsupported protocol 1.5; this Morvanta speaks 1"},
        {R"({"protocol":1})", "request has no command"},
        {R"({"protocol":1,"command":["state"]})", "request has no command"},
        {R"({"protocol":1,"command":"run","argument":7})", "'argument' must be a string"},
        {R"({"protocol":1,"command":"run"})", "'run' needs an argument: NAME"},
        {R"({"protocol":1,"command":"state","argument":"x"})", "'state' takes no argument"},
        {R"({"protocol":1,"command":"pause","argument":"maybe"})",
         "'pause' takes on, off or toggle, not 'maybe'"},
        {std::string(10, '[') + std::string(10, ']'), "request nests too deeply"},
        {std::string(IpcRequest::maxLineBytes + 1, ' '), "request longer than 65536 bytes"},
    };
    for (const auto& [line, message] : cases) {
        bool closed = false;
        const json reply = ask(line, &closed);
        EXPECT_TRUE(closed) << line;
        EXPECT_EQ(reply.value("code", ""), "bad-request") << line;
        EXPECT_EQ(reply.value("error", ""), message) << line;
    }
    EXPECT_EQ(json::parse(IpcDispatcher::tooLongReply())["error"],
              "request longer than 65536 bytes");
    EXPECT_TRUE(target.calls.empty());
}

TEST_F(IpcProtocolTest, TextThatIsNotUtf8IsRepliedWithReplacementCharacters) {
    target.current.workspaces[0].windows[0].title = "caf\xe9"; // Latin-1 from an old program
    const json state = ask(request("state"));
    EXPECT_EQ(state["result"]["workspaces"][0]["windows"][0]["title"], "caf\xef\xbf\xbd");
}

// Random bytes, and valid requests with bytes flipped, dropped, doubled or inserted: every one
// is answered with one JSON line, and nothing a refused request names is carried out.
TEST_F(IpcProtocolTest, FuzzedRequestsNeverCrashOrChangeState) {
    std::mt19937 random(20);
    const std::vector<std::string> seeds = {
        request("state"),
        request("actions"),
        request("run", "nextLayout"),
        request("workspace", "2"),
        request("move-window", "3"),
        request("layout", "grid"),
        request("pause", "toggle"),
        request("subscribe"),
        R"({"protocol":1,"command":"run","argument":"switchToWorkspace2"})"};
    const std::string alphabet = "{}[]\":,\\ 01truefalsenul\x80\xff\xc3\xa9\n\tabc-";
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    int refusedCount = 0;
    for (int i = 0; i < 12000; ++i) {
        std::string line;
        if (i % 3 == 0) {
            const std::size_t length = pick(200);
            for (std::size_t k = 0; k < length; ++k)
                line += static_cast<char>(pick(256));
        } else {
            line = seeds[pick(seeds.size())];
            for (std::size_t edits = 1 + pick(4); edits > 0 && !line.empty(); --edits) {
                const std::size_t at = pick(line.size());
                switch (pick(4)) {
                case 0:
                    line[at] = alphabet[pick(alphabet.size())];
                    break;
                case 1:
                    line.erase(at, 1 + pick(3));
                    break;
                case 2:
                    line.insert(at, line.substr(at, pick(8)));
                    break;
                default:
                    line.insert(at, 1, static_cast<char>(pick(256)));
                    break;
                }
            }
        }
        const auto callsBefore = target.calls.size();
        const auto stateBefore = target.current;
        const auto outcome = dispatcher.handle(line);
        const json reply = json::parse(outcome.reply, nullptr, false);
        ASSERT_TRUE(reply.is_object()) << "no JSON answer to: " << line;
        ASSERT_EQ(outcome.reply.find('\n'), std::string::npos);
        if (reply.value("ok", true) == false) {
            ++refusedCount;
            ASSERT_EQ(target.calls.size(), callsBefore) << line;
            ASSERT_EQ(target.current, stateBefore) << line;
        }
    }
    EXPECT_GT(refusedCount, 9000);
}

TEST_F(IpcProtocolTest, ASubscriptionSendsTheStateThenOneLinePerChange) {
    ManualRunLoop loop;
    std::vector<json> lines;
    {
        IpcEventFeed feed(target, loop,
                          [&](const std::string& line) { lines.push_back(json::parse(line)); });
        EXPECT_TRUE(lines.empty()); // the subscription's own reply goes out first
        loop.runDue();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0]["event"], "state");
        EXPECT_EQ(lines[0]["state"], target.current.toJson());

        target.showWorkspace(2); // two notifications, one line
        target.current.workspaces[0].windows[0].title = "renamed";
        target.changed.notify(); // a title alone is no change
        loop.runDue();
        target.setLayout(LayoutKind::monocle);
        loop.runDue();
        target.current.workspaces[0].windows[0].focused = false;
        target.current.workspaces[0].windows[1].focused = true;
        target.current.workspaces[1].windows.push_back(
            {0x700001, "XEyes", "eyes", {}, false, false});
        target.setPaused(true);
        loop.runDue();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[1]["event"], "workspace");
        EXPECT_EQ(lines[1]["state"]["displays"][0]["workspace"], "2");
        EXPECT_EQ(lines[1]["state"]["workspaces"][0]["windows"][0]["title"], "renamed");
        EXPECT_EQ(lines[2]["changes"], json({"layout"}));
        EXPECT_EQ(lines[3]["changes"], json({"pause", "windows", "focus"}));
        EXPECT_EQ(lines[3]["event"], "pause");
        target.showWorkspace(3); // pending when the feed goes: nothing runs after
    }
    loop.advance(std::chrono::seconds(1));
    EXPECT_EQ(lines.size(), 4u);
}

TEST(IpcRequestTest, ArgumentsMakeRequestsOrSayWhatIsWrong) {
    const auto made = IpcRequest::fromArguments({"run", "focusLeft"});
    ASSERT_TRUE(made.request);
    EXPECT_EQ(made.request->toLine(), R"({"protocol":1,"command":"run","argument":"focusLeft"})");
    EXPECT_EQ(IpcRequest::parse(made.request->toLine()).request, made.request);
    EXPECT_EQ(IpcRequest::fromArguments({}).error, "missing command");
    EXPECT_EQ(IpcRequest::fromArguments({"dance"}).error, "unknown command 'dance'");
    EXPECT_EQ(IpcRequest::fromArguments({"workspace"}).error, "'workspace' needs an argument: N");
    EXPECT_EQ(IpcRequest::fromArguments({"state", "now"}).error, "'state' takes no argument");
    EXPECT_EQ(IpcRequest::fromArguments({"run", "a", "b"}).error, "too many arguments");
    EXPECT_EQ(IpcRequest::fromArguments({"pause", "yes"}).error,
              "'pause' takes on, off or toggle, not 'yes'");
}

} // namespace
} // namespace morvanta
